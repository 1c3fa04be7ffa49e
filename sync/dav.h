// The CalDAV and CardDAV requests of the sync: finding the user's calendar and address book,
// listing a collection's items with their ETags, fetching items, and conditional uploads.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sync/dav_xml.h"
#include "sync/http.h"

namespace pomix::sync {

enum class Kind { Calendar, AddressBook };

struct Collection {
    std::string Url;   // absolute, ends in "/"
    std::string Name;  // displayname, else the last path segment
    bool Created = false;
    // What changes with every change of the collection's items: its getctag marked "ctag:",
    // else its sync-token (RFC 6578), else empty. The sync-collection report itself is not
    // used: some servers (Xandikos 0.2) leave deleted items out of it.
    std::string Token;
};

// An item's absolute URL and ETag, and its text when fetched.
struct RemoteItem {
    std::string Url;
    std::string ETag;
    std::string Data;
};

inline constexpr char kCreatedName[] = "Pomix";
// A calendar item or vCard larger than this is not a record Pomix can hold; it is left alone.
inline constexpr std::size_t kMaxItemBytes = 4u << 20;

class DavSession {
public:
    explicit DavSession(HttpConnection& http) : http_(http) {}

    // The collection of that kind named name (displayname or last path segment, exactly);
    // with an empty name the first one; with none at all a new one named "Pomix". A name
    // given but not found is an error (nothing is created under a mistyped name).
    Collection FindCollection(Kind kind, const std::string& serverUrl, const std::string& name);
    // The collection at url (the last sync's) when it is still there, of that kind, and named
    // name (any with an empty name); nothing otherwise. Finding it anew takes a listing of the
    // user's collections, which some servers (Xandikos) make slowly.
    std::optional<Collection> Known(Kind kind, const std::string& url, const std::string& name);

    // Every item of the collection with its ETag (subcollections left out).
    std::vector<RemoteItem> List(const Collection& collection);
    struct Fetched {
        std::vector<RemoteItem> Items;
        std::vector<std::string> Missing;   // URLs the server answered without the item
        std::vector<std::string> TooLarge;  // URLs of items over kMaxItemBytes
    };
    // The items at those URLs with their text. Raises SyncError (BadAnswer) when an answer
    // says nothing of a URL asked for.
    Fetched Fetch(Kind kind, const Collection& collection, const std::vector<std::string>& urls);

    // Uploads text to url. etag empty: only if no item is there (If-None-Match: *), unless
    // replace (an item whose server gives no ETag, just read and compared); else only if the
    // item is still that version (If-Match). Returns the new ETag (empty when the server does
    // not say). Raises SyncError on refusal, naming the status (412 when the item changed)
    // and the server's own reason.
    std::string Put(Kind kind, const std::string& url, const std::string& text,
                    const std::string& etag, bool replace = false);
    // Deletes url if it is still that version; an item already gone counts as deleted.
    void Delete(const std::string& url, const std::string& etag);

private:
    MultiStatus Propfind(std::string& url, int depth, const std::string& props);
    MultiStatus Report(const std::string& url, const std::string& body);
    std::string PrincipalHome(Kind kind, const std::string& serverUrl);
    Collection Create(Kind kind, const std::string& home);
    // c with its Token read.
    Collection& WithToken(Collection& c);

    HttpConnection& http_;
};

}  // namespace pomix::sync

#include "sync/dav.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <optional>
#include <unordered_set>

namespace pomix::sync {
namespace {

const char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
// Hrefs per multiget: large enough to be quick, small enough to keep each answer modest.
constexpr std::size_t kFetchBatch = 200;
constexpr int kMaxRedirects = 5;

std::string PropfindBody(const std::string& props) {
    return std::string(kXmlHead) +
           "<D:propfind xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\" "
           "xmlns:CR=\"urn:ietf:params:xml:ns:carddav\" "
           "xmlns:CS=\"http://calendarserver.org/ns/\"><D:prop>" +
           props + "</D:prop></D:propfind>";
}

[[noreturn]] void Refused(const std::string& what, long status, const std::string& reason = {}) {
    throw SyncError("The server refused " + what + ": " + StatusText(status) +
                        (reason.empty() ? "" : " (" + reason + ")"),
                    SyncFailure::Refused, status);
}

bool Printable(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
    });
}

// The condition of a write; an ETag that could end the header line early is never sent (one
// from a mapping written before ETags were checked).
std::string IfMatch(const std::string& etag) {
    if (!Printable(etag)) {
        throw SyncError("An ETag with control characters is refused", SyncFailure::BadAnswer);
    }
    return "If-Match: " + etag;
}

// The same item whether its path comes percent-escaped or not.
std::string Key(const std::string& url) {
    const std::string path = HttpConnection::PathOf(url);
    std::string out;
    out.reserve(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && std::isxdigit(static_cast<unsigned char>(path[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(path[i + 2]))) {
            out += static_cast<char>(std::stoi(path.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += path[i];
        }
    }
    return out;
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string WithSlash(std::string url) {
    if (url.empty() || url.back() != '/') url += '/';
    return url;
}

std::string LastSegment(const std::string& url) {
    std::string path = HttpConnection::PathOf(url);
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path.substr(path.rfind('/') + 1);
}

bool SamePath(const std::string& a, const std::string& b) {
    return WithSlash(HttpConnection::PathOf(a)) == WithSlash(HttpConnection::PathOf(b));
}

}  // namespace

MultiStatus DavSession::Propfind(std::string& url, int depth, const std::string& props) {
    for (int hop = 0;; ++hop) {
        const HttpResponse r = http_.Request(
            "PROPFIND", url, PropfindBody(props),
            {"Depth: " + std::to_string(depth), "Content-Type: application/xml; charset=utf-8"});
        if (IsRedirect(r.Status) && !r.Location.empty() && hop < kMaxRedirects) {
            url = HttpConnection::Resolve(url, r.Location);
            continue;
        }
        if (r.Status != 207) Refused("to list " + HttpConnection::PathOf(url), r.Status);
        return ParseMultiStatus(r.Body);
    }
}

MultiStatus DavSession::Report(const std::string& url, const std::string& body) {
    const HttpResponse r = http_.Request(
        "REPORT", url, body, {"Depth: 1", "Content-Type: application/xml; charset=utf-8"});
    if (r.Status != 207) Refused("to send items of " + HttpConnection::PathOf(url), r.Status);
    return ParseMultiStatus(r.Body);
}

std::string DavSession::PrincipalHome(Kind kind, const std::string& serverUrl) {
    const bool calendar = kind == Kind::Calendar;
    const std::string homeProp =
        calendar ? "<C:calendar-home-set/>" : "<CR:addressbook-home-set/>";
    // The well-known address first, then the address as given (some servers answer there).
    std::vector<std::string> starts = {
        http_.Origin() + (calendar ? "/.well-known/caldav" : "/.well-known/carddav"), serverUrl};
    if (HttpConnection::PathOf(serverUrl) != "/") std::swap(starts[0], starts[1]);
    std::string principal;
    std::optional<SyncError> lastError;
    for (const std::string& start : starts) {
        std::string url = start;
        try {
            const MultiStatus ms = Propfind(url, 0, "<D:current-user-principal/>" + homeProp);
            for (const DavResource& r : ms.Resources) {
                const auto& homes = calendar ? r.CalendarHomes : r.AddressHomes;
                if (!homes.empty()) return WithSlash(HttpConnection::Resolve(url, homes.front()));
                if (!r.PrincipalHrefs.empty()) {
                    principal = HttpConnection::Resolve(url, r.PrincipalHrefs.front());
                }
            }
            if (!principal.empty()) break;
        } catch (const SyncError& e) {
            // A refused login says most, then what the address given answered: the
            // well-known address's 404 must hide neither.
            if (!lastError || (lastError->Status != 401 && (e.Status == 401 || start == serverUrl)))
                lastError = e;
        }
    }
    if (principal.empty()) {
        if (lastError) throw *lastError;
        throw SyncError("The server does not name the user's principal (is it a " +
                            std::string(calendar ? "CalDAV" : "CardDAV") + " server?)",
                        SyncFailure::BadAnswer);
    }
    const MultiStatus ms = Propfind(principal, 0, homeProp);
    for (const DavResource& r : ms.Resources) {
        const auto& homes = calendar ? r.CalendarHomes : r.AddressHomes;
        if (!homes.empty()) return WithSlash(HttpConnection::Resolve(principal, homes.front()));
    }
    throw SyncError(std::string("The server names no ") +
                    (calendar ? "calendar home" : "address book home") + " for the user");
}

Collection DavSession::FindCollection(Kind kind, const std::string& serverUrl,
                                      const std::string& name) {
    const bool calendar = kind == Kind::Calendar;
    std::string home = PrincipalHome(kind, serverUrl);
    // The home's listing asks for no token: some servers (Radicale) read every item of every
    // collection there to make one.
    const MultiStatus ms = Propfind(home, 1,
                                    "<D:resourcetype/><D:displayname/>"
                                    "<C:supported-calendar-component-set/>");
    std::vector<Collection> found;
    for (const DavResource& r : ms.Resources) {
        if (!r.HasType(calendar ? "calendar" : "addressbook")) continue;
        // A calendar for to-dos only is not the planner's.
        if (calendar && !r.Components.empty() &&
            std::find(r.Components.begin(), r.Components.end(), "VEVENT") == r.Components.end())
            continue;
        Collection c;
        c.Url = WithSlash(HttpConnection::Resolve(home, r.Href));
        if (SamePath(c.Url, home)) continue;
        c.Name = r.DisplayName.empty() ? LastSegment(c.Url) : r.DisplayName;
        found.push_back(c);
    }
    if (!name.empty()) {
        for (Collection& c : found) {
            if (c.Name == name || LastSegment(c.Url) == name) return WithToken(c);
        }
        throw SyncError(std::string("The server has no ") +
                        (calendar ? "calendar" : "address book") + " named \"" + name + "\"",
                        SyncFailure::Missing);
    }
    if (!found.empty()) return WithToken(found.front());
    return Create(kind, home);
}

std::optional<Collection> DavSession::Known(Kind kind, const std::string& url,
                                            const std::string& name) {
    const bool calendar = kind == Kind::Calendar;
    std::string at = url;
    MultiStatus ms;
    // The display name only when the name asked for is not the address's own: Xandikos takes
    // a good part of what the ctag costs to find it.
    const bool nameNeeded = !name.empty() && LastSegment(url) != name;
    try {
        // The ctag comes in the same answer: on some servers (Xandikos) each request on a large
        // collection costs a good part of what the ctag does.
        ms = Propfind(at, 0,
                      std::string("<D:resourcetype/>") + (nameNeeded ? "<D:displayname/>" : "") +
                          "<CS:getctag/>");
    } catch (const SyncError& e) {
        // Gone, or on another server than the one now given: found anew.
        if ((e.Kind == SyncFailure::Refused && e.Status != 401) || e.Kind == SyncFailure::Other)
            return std::nullopt;
        throw;
    }
    for (const DavResource& r : ms.Resources) {
        if (!SamePath(HttpConnection::Resolve(at, r.Href), url)) continue;
        if (!r.HasType(calendar ? "calendar" : "addressbook")) return std::nullopt;
        Collection c;
        c.Url = WithSlash(url);
        c.Name = r.DisplayName.empty() ? LastSegment(c.Url) : r.DisplayName;
        if (!name.empty() && c.Name != name && LastSegment(c.Url) != name) return std::nullopt;
        if (r.CTag.empty()) return WithToken(c);
        c.Token = "ctag:" + r.CTag;
        return c;
    }
    return std::nullopt;
}

Collection& DavSession::WithToken(Collection& c) {
    // getctag first: Radicale makes it from its items' ETags, but a sync-token also from each
    // item's history, several times slower.
    for (const char* prop : {"<CS:getctag/>", "<D:sync-token/>"}) {
        std::string url = c.Url;
        const MultiStatus ms = Propfind(url, 0, prop);
        for (const DavResource& r : ms.Resources) {
            if (!SamePath(HttpConnection::Resolve(url, r.Href), c.Url)) continue;
            if (!r.CTag.empty()) c.Token = "ctag:" + r.CTag;
            if (!r.SyncToken.empty()) c.Token = r.SyncToken;
        }
        if (!c.Token.empty()) break;
    }
    return c;
}

Collection DavSession::Create(Kind kind, const std::string& home) {
    const bool calendar = kind == Kind::Calendar;
    Collection c;
    c.Url = home + (calendar ? "pomix-calendar/" : "pomix-contacts/");
    c.Name = kCreatedName;
    c.Created = true;
    std::string body;
    HttpResponse r;
    if (calendar) {
        body = std::string(kXmlHead) +
               "<C:mkcalendar xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
               "<D:set><D:prop><D:displayname>" + std::string(kCreatedName) +
               "</D:displayname><C:supported-calendar-component-set><C:comp name=\"VEVENT\"/>"
               "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>";
        r = http_.Request("MKCALENDAR", c.Url, body,
                          {"Content-Type: application/xml; charset=utf-8"});
    } else {
        body = std::string(kXmlHead) +
               "<D:mkcol xmlns:D=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
               "<D:set><D:prop><D:resourcetype><D:collection/><CR:addressbook/>"
               "</D:resourcetype><D:displayname>" + std::string(kCreatedName) +
               "</D:displayname></D:prop></D:set></D:mkcol>";
        r = http_.Request("MKCOL", c.Url, body, {"Content-Type: application/xml; charset=utf-8"});
    }
    if (r.Status != 201 && r.Status != 200) {
        Refused(std::string("to create the ") + (calendar ? "calendar" : "address book") +
                    " \"" + kCreatedName + "\"",
                r.Status);
    }
    return c;
}

std::vector<RemoteItem> DavSession::List(const Collection& collection) {
    std::string url = collection.Url;
    const MultiStatus ms = Propfind(url, 1, "<D:resourcetype/><D:getetag/>");
    std::vector<RemoteItem> items;
    items.reserve(ms.Resources.size());
    for (const DavResource& r : ms.Resources) {
        if (r.HasType("collection") || r.Status >= 300) continue;
        const std::string itemUrl = HttpConnection::Resolve(url, r.Href);
        if (SamePath(itemUrl, url)) continue;
        if (!http_.OnOrigin(itemUrl)) {
            throw SyncError("The server listed an item on another host", SyncFailure::BadAnswer);
        }
        items.push_back({itemUrl, r.ETag, {}});
    }
    return items;
}

DavSession::Fetched DavSession::Fetch(Kind kind, const Collection& collection,
                                     const std::vector<std::string>& urls) {
    const bool calendar = kind == Kind::Calendar;
    Fetched out;
    out.Items.reserve(urls.size());
    // Answered for: by the key of each URL asked for, whether the answer said anything of it.
    std::unordered_map<std::string, bool> answered;
    for (const std::string& url : urls) answered.emplace(Key(url), false);
    const auto take = [&](MultiStatus ms, bool whole) {
        for (DavResource& r : ms.Resources) {
            std::string url = HttpConnection::Resolve(collection.Url, r.Href);
            const auto it = answered.find(Key(url));
            if (it == answered.end() || it->second) continue;
            if (r.Status < 300 && r.Data.size() > kMaxItemBytes) {
                out.TooLarge.push_back(std::move(url));
            } else if (r.Status < 300 && !r.Data.empty()) {
                out.Items.push_back({std::move(url), r.ETag, std::move(r.Data)});
            } else if (whole) {
                continue;  // asked for by a multiget after all
            } else {
                out.Missing.push_back(std::move(url));
            }
            it->second = true;
        }
    };
    std::vector<std::string> rest = urls;
    if (urls.size() > kFetchBatch) {
        // Many items: the whole collection in one query. Xandikos looks each item of a
        // multiget up on its own, about 0.1 s apiece in a collection of 10,000, and sends the
        // whole of it in a few seconds; Radicale is quicker this way too. What the answer
        // lacks is asked for by multigets after all.
        const std::string body =
            std::string(kXmlHead) +
            (calendar ? "<C:calendar-query xmlns:D=\"DAV:\" "
                        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><D:getetag/>"
                        "<C:calendar-data/></D:prop><C:filter><C:comp-filter name=\"VCALENDAR\"/>"
                        "</C:filter></C:calendar-query>"
                      : "<CR:addressbook-query xmlns:D=\"DAV:\" "
                        "xmlns:CR=\"urn:ietf:params:xml:ns:carddav\"><D:prop><D:getetag/>"
                        "<CR:address-data/></D:prop><CR:filter/></CR:addressbook-query>");
        try {
            take(Report(collection.Url, body), true);
        } catch (const SyncError& e) {
            // A server without the query, or a collection too large to come whole (photos):
            // multigets alone, each answer bounded on its own.
            if (e.Kind == SyncFailure::Unreachable || e.Status == 401) throw;
            out = {};
            for (auto& [key, seen] : answered) seen = false;
        }
        std::erase_if(rest, [&](const std::string& url) { return answered[Key(url)]; });
    }
    for (std::size_t start = 0; start < rest.size(); start += kFetchBatch) {
        std::string body = std::string(kXmlHead) +
                           (calendar ? "<C:calendar-multiget xmlns:D=\"DAV:\" "
                                       "xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                                       "<D:prop><D:getetag/><C:calendar-data/></D:prop>"
                                     : "<CR:addressbook-multiget xmlns:D=\"DAV:\" "
                                       "xmlns:CR=\"urn:ietf:params:xml:ns:carddav\">"
                                       "<D:prop><D:getetag/><CR:address-data/></D:prop>");
        const std::size_t end = std::min(rest.size(), start + kFetchBatch);
        for (std::size_t i = start; i < end; ++i) {
            body += "<D:href>" + XmlEscaped(HttpConnection::PathOf(rest[i])) + "</D:href>";
        }
        body += calendar ? "</C:calendar-multiget>" : "</CR:addressbook-multiget>";
        take(Report(collection.Url, body), false);
        // An answer silent on an item may have been cut short: nothing of it can be trusted.
        for (std::size_t i = start; i < end; ++i) {
            if (!answered[Key(rest[i])]) {
                throw SyncError("The server's answer left out " + HttpConnection::PathOf(rest[i]) +
                                    ", which it had listed",
                                SyncFailure::BadAnswer);
            }
        }
    }
    return out;
}

std::string DavSession::Put(Kind kind, const std::string& url, const std::string& text,
                            const std::string& etag, bool replace) {
    std::vector<std::string> headers = {kind == Kind::Calendar
                                            ? "Content-Type: text/calendar; charset=utf-8"
                                            : "Content-Type: text/vcard; charset=utf-8"};
    if (!etag.empty()) {
        headers.push_back(IfMatch(etag));
    } else if (!replace) {
        headers.push_back("If-None-Match: *");
    }
    const HttpResponse r = http_.Request("PUT", url, text, headers);
    if (r.Status < 200 || r.Status >= 300) {
        Refused("the upload of " + HttpConnection::PathOf(url), r.Status,
                RefusalReason(r.Body, r.ContentType));
    }
    return Printable(r.ETag) ? r.ETag : std::string();
}

void DavSession::Delete(const std::string& url, const std::string& etag) {
    std::vector<std::string> headers;
    if (!etag.empty()) headers.push_back(IfMatch(etag));
    const HttpResponse r = http_.Request("DELETE", url, {}, headers);
    if (r.Status == 404 || r.Status == 410) return;
    if (r.Status < 200 || r.Status >= 300) {
        Refused("to delete " + HttpConnection::PathOf(url), r.Status,
                RefusalReason(r.Body, r.ContentType));
    }
}

}  // namespace pomix::sync

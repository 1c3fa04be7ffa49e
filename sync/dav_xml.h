// The WebDAV answers the sync reads (207 Multi-Status of PROPFIND and REPORT), parsed with
// libxml2. Only what the sync uses is kept; unknown elements are passed over.
#pragma once

#include <string>
#include <vector>

namespace pomix::sync {

inline constexpr char kDavNs[] = "DAV:";
inline constexpr char kCalDavNs[] = "urn:ietf:params:xml:ns:caldav";
inline constexpr char kCardDavNs[] = "urn:ietf:params:xml:ns:carddav";
inline constexpr char kCalendarServerNs[] = "http://calendarserver.org/ns/";

// One <response>: the properties the server found for one href.
struct DavResource {
    std::string Href;      // as sent (usually a path, percent escapes kept)
    long Status = 200;     // the response's own status (404 for an item gone in sync-collection)
    std::string ETag;      // getetag
    std::string DisplayName;
    std::vector<std::string> Types;       // resourcetype children: "collection", "calendar",
                                          // "addressbook" (local names, known namespaces only)
    std::vector<std::string> Components;  // supported-calendar-component-set: "VEVENT", ...
    std::string Data;                     // calendar-data or address-data
    std::vector<std::string> PrincipalHrefs;  // current-user-principal
    std::vector<std::string> CalendarHomes;   // calendar-home-set
    std::vector<std::string> AddressHomes;    // addressbook-home-set
    std::string SyncToken;                    // a collection's sync-token
    std::string CTag;                         // a collection's getctag

    bool HasType(const std::string& type) const;
};

struct MultiStatus {
    std::vector<DavResource> Resources;
};

// Raises SyncError for text that is not a well-formed multistatus document. No external
// entities or network access are ever followed.
MultiStatus ParseMultiStatus(const std::string& xml);

// Sets up the XML parser's shared tables once, before a run reads answers on several threads:
// two threads doing it for the first time at once each build them, and one copy is lost.
void PrepareXml();

// The server's own reason in the body of a refusal: the names of the DAV:error element's
// children and its responsedescription ("valid-calendar-data: DTEND must occur after
// DTSTART"), else a short plain-text body; empty when there is none.
std::string RefusalReason(const std::string& body, const std::string& contentType);

// Text escaped for an XML element's content.
std::string XmlEscaped(const std::string& text);

}  // namespace pomix::sync

#include "sync/dav_xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "storage/text.h"
#include "sync/http.h"

namespace pomix::sync {
namespace {

bool Is(const xmlNode* node, const char* ns, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool IsKnownNs(const xmlNode* node) {
    if (!node->ns || !node->ns->href) return false;
    const char* ns = reinterpret_cast<const char*>(node->ns->href);
    return std::strcmp(ns, kDavNs) == 0 || std::strcmp(ns, kCalDavNs) == 0 ||
           std::strcmp(ns, kCardDavNs) == 0;
}

std::string Text(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    if (!content) return {};
    std::string out(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return out;
}

template <class F>
void Children(const xmlNode* node, F&& f) {
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) f(c);
    }
}

std::vector<std::string> Hrefs(const xmlNode* prop) {
    std::vector<std::string> out;
    Children(prop, [&](const xmlNode* c) {
        if (Is(c, kDavNs, "href")) out.push_back(Trim(Text(c)));
    });
    return out;
}

// "HTTP/1.1 404 Not Found" gives 404; anything unreadable 0.
long StatusOf(const std::string& line) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return 0;
    return std::strtol(line.c_str() + space + 1, nullptr, 10);
}

void ReadProp(const xmlNode* prop, DavResource& r) {
    Children(prop, [&](const xmlNode* p) {
        if (Is(p, kDavNs, "getetag")) {
            r.ETag = Trim(Text(p));
        } else if (Is(p, kDavNs, "displayname")) {
            r.DisplayName = Trim(Text(p));
        } else if (Is(p, kDavNs, "resourcetype")) {
            Children(p, [&](const xmlNode* t) {
                if (IsKnownNs(t)) r.Types.emplace_back(reinterpret_cast<const char*>(t->name));
            });
        } else if (Is(p, kCalDavNs, "supported-calendar-component-set")) {
            Children(p, [&](const xmlNode* comp) {
                if (!Is(comp, kCalDavNs, "comp")) return;
                if (xmlChar* name = xmlGetProp(comp, BAD_CAST "name")) {
                    r.Components.emplace_back(reinterpret_cast<const char*>(name));
                    xmlFree(name);
                }
            });
        } else if (Is(p, kCalDavNs, "calendar-data") || Is(p, kCardDavNs, "address-data")) {
            r.Data = Text(p);
        } else if (Is(p, kDavNs, "current-user-principal")) {
            r.PrincipalHrefs = Hrefs(p);
        } else if (Is(p, kCalDavNs, "calendar-home-set")) {
            r.CalendarHomes = Hrefs(p);
        } else if (Is(p, kCardDavNs, "addressbook-home-set")) {
            r.AddressHomes = Hrefs(p);
        } else if (Is(p, kDavNs, "sync-token")) {
            r.SyncToken = Trim(Text(p));
        } else if (Is(p, kCalendarServerNs, "getctag")) {
            r.CTag = Trim(Text(p));
        }
    });
}

}  // namespace

bool DavResource::HasType(const std::string& type) const {
    return std::find(Types.begin(), Types.end(), type) != Types.end();
}

MultiStatus ParseMultiStatus(const std::string& xml) {
    if (xml.size() > kMaxResponseBytes) throw SyncError("The server's answer is too large", SyncFailure::BadAnswer);
    // No entity substitution, no DTD loading, no network: an answer cannot make the parser
    // read files or grow without bound.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "response.xml", nullptr, options),
        xmlFreeDoc);
    if (!doc) throw SyncError("The server sent a malformed answer (not well-formed XML)",
                              SyncFailure::BadAnswer);
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (!Is(root, kDavNs, "multistatus")) {
        throw SyncError("The server sent an unexpected answer (no multistatus)",
                        SyncFailure::BadAnswer);
    }
    MultiStatus out;
    Children(root, [&](const xmlNode* response) {
        if (!Is(response, kDavNs, "response")) return;
        DavResource r;
        bool hasHref = false;
        Children(response, [&](const xmlNode* c) {
            if (Is(c, kDavNs, "href") && !hasHref) {
                r.Href = Trim(Text(c));
                hasHref = true;
            } else if (Is(c, kDavNs, "status")) {
                r.Status = StatusOf(Trim(Text(c)));
            } else if (Is(c, kDavNs, "propstat")) {
                long status = 0;
                const xmlNode* prop = nullptr;
                Children(c, [&](const xmlNode* s) {
                    if (Is(s, kDavNs, "status")) status = StatusOf(Trim(Text(s)));
                    if (Is(s, kDavNs, "prop")) prop = s;
                });
                if (status >= 200 && status < 300 && prop) ReadProp(prop, r);
            }
        });
        if (!hasHref) throw SyncError("The server sent a malformed answer (a response without href)",
                                        SyncFailure::BadAnswer);
        out.Resources.push_back(std::move(r));
    });
    return out;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace pomix::sync

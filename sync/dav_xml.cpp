#include "sync/dav_xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>

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

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

struct ParseVerdict {
    int Faults = 0;
    bool Doctype = false;
    std::string First;  // libxml2's words on the first fault
};

ParseVerdict& VerdictOf(void* context) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(context);
    return *static_cast<ParseVerdict*>(ctxt->_private);
}

void OnParseError(void* context, const char* format, ...) {
    ParseVerdict& verdict = VerdictOf(context);
    if (verdict.Faults++ == 0) {
        char text[200];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        verdict.First = text;
        while (!verdict.First.empty() && (verdict.First.back() == '\n' || verdict.First.back() == ' '))
            verdict.First.pop_back();
    }
}

void OnDoctype(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    VerdictOf(context).Doctype = true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

// Control characters have no place in an href or an ETag; one that reached a request header
// would add a header of the server's choosing.
void CheckPrintable(const std::string& text, const char* what) {
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            throw SyncError(std::string("The server sent an ") + what +
                                " with control characters, which is refused",
                            SyncFailure::BadAnswer);
        }
    }
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
        if (Is(c, kDavNs, "href")) {
            out.push_back(Trim(Text(c)));
            CheckPrintable(out.back(), "address");
        }
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

namespace {

using Doc = std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)>;

Doc ParseStrictly(const std::string& xml) {
    if (xml.size() > kMaxResponseBytes) throw SyncError("The server's answer is too large", SyncFailure::BadAnswer);
    std::unique_ptr<xmlParserCtxt, decltype(&xmlFreeParserCtxt)> ctxt(xmlNewParserCtxt(),
                                                                      xmlFreeParserCtxt);
    if (!ctxt) throw std::bad_alloc();
    // Whatever libxml2 finds wrong, even a warning, makes the answer unusable: it may stop
    // at a fault and still hand back the tree read so far, and a listing cut short would
    // take the items after the cut for deleted.
    ParseVerdict verdict;
    ctxt->_private = &verdict;
    ctxt->sax->serror = nullptr;
    ctxt->sax->error = OnParseError;
    ctxt->sax->warning = OnParseError;
    ctxt->sax->fatalError = OnParseError;
    // A DAV answer has no use for a DOCTYPE, and its entities are how an answer of a megabyte
    // grows to gigabytes once read: the parse stops there, before any declaration is read.
    ctxt->sax->internalSubset = OnDoctype;
    ctxt->sax->externalSubset = nullptr;
    // Huge text: an item with a large photo is one text node of many megabytes, which
    // libxml2 would otherwise cut off; the answer as a whole is bounded by kMaxResponseBytes.
    const int options = XML_PARSE_NONET | XML_PARSE_HUGE;
    Doc doc(
        xmlCtxtReadMemory(ctxt.get(), xml.data(), static_cast<int>(xml.size()), "response.xml",
                          nullptr, options),
        xmlFreeDoc);
    if (verdict.Doctype) {
        throw SyncError("The server sent an answer with a DOCTYPE, which is refused",
                        SyncFailure::BadAnswer);
    }
    if (!doc || !ctxt->wellFormed || verdict.Faults > 0 || doc->intSubset || doc->extSubset) {
        throw SyncError("The server sent a malformed answer (not well-formed XML" +
                            (verdict.First.empty() ? std::string() : ": " + verdict.First) + ")",
                        SyncFailure::BadAnswer);
    }
    return doc;
}

}  // namespace

MultiStatus ParseMultiStatus(const std::string& xml) {
    const Doc doc = ParseStrictly(xml);
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
        CheckPrintable(r.Href, "address");
        CheckPrintable(r.ETag, "ETag");
        if (!hasHref) throw SyncError("The server sent a malformed answer (a response without href)",
                                        SyncFailure::BadAnswer);
        out.Resources.push_back(std::move(r));
    });
    return out;
}

std::string RefusalReason(const std::string& body, const std::string& contentType) {
    std::string reason;
    const auto clean = [](std::string text) {
        for (char& c : text) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
        }
        text = Trim(text);
        if (text.size() > 300) text = text.substr(0, 300) + "...";
        return text;
    };
    if (body.find('<') != std::string::npos) {
        try {
            const Doc doc = ParseStrictly(body);
            const xmlNode* root = xmlDocGetRootElement(doc.get());
            if (!Is(root, kDavNs, "error")) return {};
            std::string conditions, description;
            Children(root, [&](const xmlNode* c) {
                if (Is(c, kDavNs, "responsedescription")) {
                    description = clean(Text(c));
                } else {
                    conditions += (conditions.empty() ? "" : ", ") +
                                  std::string(reinterpret_cast<const char*>(c->name));
                    const std::string inner = clean(Text(c));
                    if (!inner.empty()) conditions += " (" + inner + ")";
                }
            });
            reason = conditions;
            if (!description.empty()) reason += (reason.empty() ? "" : ": ") + description;
        } catch (const SyncError&) {
        }
        return clean(reason);
    }
    if (contentType.rfind("text/plain", 0) == 0) return clean(body);
    return {};
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

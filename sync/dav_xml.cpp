#include "sync/dav_xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "storage/text.h"
#include "sync/http.h"

namespace pomix::sync {
namespace {

bool Is(const xmlNode* node, const char* ns, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::string Text(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    if (!content) return {};
    std::string out(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return out;
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

// "HTTP/1.1 404 Not Found" gives 404; anything unreadable 0.
long StatusOf(const std::string& line) {
    const std::size_t space = line.find(' ');
    if (space == std::string::npos) return 0;
    return std::strtol(line.c_str() + space + 1, nullptr, 10);
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

namespace {

// The reader's place in a multistatus document, and what the open elements are to give.
class MultiStatusReader {
public:
    explicit MultiStatusReader(MultiStatus& out) : out_(out) {}

    void Start(const char* ns, const char* name, int depth, xmlTextReaderPtr reader) {
        stack_.resize(static_cast<std::size_t>(depth));
        stack_.push_back({ns ? ns : "", name});
        const auto is = [&](const char* wantNs, const char* wantName) {
            return std::strcmp(ns ? ns : "", wantNs) == 0 && std::strcmp(name, wantName) == 0;
        };
        if (depth == 0) {
            if (!is(kDavNs, "multistatus")) {
                throw SyncError("The server sent an unexpected answer (no multistatus)",
                                SyncFailure::BadAnswer);
            }
            rootSeen_ = true;
        } else if (depth == 1 && is(kDavNs, "response")) {
            response_ = DavResource{};
            inResponse_ = true;
            hasHref_ = false;
        } else if (!inResponse_) {
        } else if (depth == 2 && is(kDavNs, "href") && !hasHref_) {
            Capture(&response_.Href, depth);
        } else if (depth == 2 && is(kDavNs, "status")) {
            Capture(&statusText_, depth);
        } else if (depth == 2 && is(kDavNs, "propstat")) {
            prop_ = DavResource{};
            propStatus_ = 0;
        } else if (depth == 3 && Parent(2, kDavNs, "propstat") && is(kDavNs, "status")) {
            Capture(&propStatusText_, depth);
        } else if (depth == 4 && Parent(3, kDavNs, "prop") && Parent(2, kDavNs, "propstat")) {
            if (is(kDavNs, "getetag")) Capture(&prop_.ETag, depth);
            else if (is(kDavNs, "displayname")) Capture(&prop_.DisplayName, depth);
            else if (is(kCalDavNs, "calendar-data") || is(kCardDavNs, "address-data"))
                Capture(&prop_.Data, depth);
            else if (is(kDavNs, "sync-token")) Capture(&prop_.SyncToken, depth);
            else if (is(kCalendarServerNs, "getctag")) Capture(&prop_.CTag, depth);
        } else if (depth == 5 && Parent(3, kDavNs, "prop") && Parent(2, kDavNs, "propstat")) {
            const Key& property = stack_[4];
            if (property.Is(kDavNs, "resourcetype")) {
                if (!std::strcmp(ns ? ns : "", kDavNs) || !std::strcmp(ns ? ns : "", kCalDavNs) ||
                    !std::strcmp(ns ? ns : "", kCardDavNs))
                    prop_.Types.emplace_back(name);
            } else if (property.Is(kCalDavNs, "supported-calendar-component-set") &&
                       is(kCalDavNs, "comp")) {
                if (xmlChar* comp = xmlTextReaderGetAttribute(reader, BAD_CAST "name")) {
                    prop_.Components.emplace_back(reinterpret_cast<const char*>(comp));
                    xmlFree(comp);
                }
            } else if (is(kDavNs, "href")) {
                std::vector<std::string>* into =
                    property.Is(kDavNs, "current-user-principal") ? &prop_.PrincipalHrefs
                    : property.Is(kCalDavNs, "calendar-home-set") ? &prop_.CalendarHomes
                    : property.Is(kCardDavNs, "addressbook-home-set") ? &prop_.AddressHomes
                                                                     : nullptr;
                if (into) {
                    into->emplace_back();
                    Capture(&into->back(), depth);
                }
            }
        }
    }

    void Text(const char* text) {
        if (capture_) capture_->append(text);
    }

    void End(int depth) {
        if (capture_ && depth == captureDepth_) capture_ = nullptr;
        if (!inResponse_) return;
        if (depth == 2 && stack_.size() > 2 && stack_[2].Is(kDavNs, "href") && !hasHref_) {
            response_.Href = Trim(response_.Href);
            hasHref_ = true;
        } else if (depth == 2 && stack_.size() > 2 && stack_[2].Is(kDavNs, "status")) {
            response_.Status = StatusOf(Trim(statusText_));
            statusText_.clear();
        } else if (depth == 3 && stack_.size() > 3 && stack_[3].Is(kDavNs, "status") &&
                   Parent(2, kDavNs, "propstat")) {
            propStatus_ = StatusOf(Trim(propStatusText_));
            propStatusText_.clear();
        } else if (depth == 2 && stack_.size() > 2 && stack_[2].Is(kDavNs, "propstat")) {
            if (propStatus_ >= 200 && propStatus_ < 300) Take();
        } else if (depth == 1) {
            inResponse_ = false;
            if (!hasHref_) {
                throw SyncError("The server sent a malformed answer (a response without href)",
                                SyncFailure::BadAnswer);
            }
            CheckPrintable(response_.Href, "address");
            CheckPrintable(response_.ETag, "ETag");
            out_.Resources.push_back(std::move(response_));
        }
    }

    bool RootSeen() const { return rootSeen_; }

private:
    struct Key {
        std::string Ns, Name;
        bool Is(const char* ns, const char* name) const { return Ns == ns && Name == name; }
    };

    bool Parent(std::size_t depth, const char* ns, const char* name) const {
        return stack_.size() > depth && stack_[depth].Is(ns, name);
    }

    void Capture(std::string* into, int depth) {
        capture_ = into;
        captureDepth_ = depth;
    }

    // A propstat's properties, found (2xx), go to the response.
    void Take() {
        const auto set = [](std::string& to, std::string& from, bool trim) {
            if (!from.empty()) to = trim ? Trim(from) : std::move(from);
        };
        set(response_.ETag, prop_.ETag, true);
        set(response_.DisplayName, prop_.DisplayName, true);
        set(response_.Data, prop_.Data, false);
        set(response_.SyncToken, prop_.SyncToken, true);
        set(response_.CTag, prop_.CTag, true);
        const auto add = [](std::vector<std::string>& to, std::vector<std::string>& from,
                            bool trim) {
            for (std::string& s : from) to.push_back(trim ? Trim(s) : std::move(s));
        };
        add(response_.Types, prop_.Types, false);
        add(response_.Components, prop_.Components, false);
        add(response_.PrincipalHrefs, prop_.PrincipalHrefs, true);
        add(response_.CalendarHomes, prop_.CalendarHomes, true);
        add(response_.AddressHomes, prop_.AddressHomes, true);
        for (const auto* hrefs : {&response_.PrincipalHrefs, &response_.CalendarHomes,
                                  &response_.AddressHomes})
            for (const std::string& h : *hrefs) CheckPrintable(h, "address");
    }

    MultiStatus& out_;
    std::vector<Key> stack_;
    bool rootSeen_ = false, inResponse_ = false, hasHref_ = false;
    DavResource response_, prop_;
    std::string statusText_, propStatusText_;
    long propStatus_ = 0;
    std::string* capture_ = nullptr;
    int captureDepth_ = 0;
};

void OnReaderError(void* arg, const char* message, xmlParserSeverities,
                   xmlTextReaderLocatorPtr) {
    auto* verdict = static_cast<ParseVerdict*>(arg);
    if (verdict->Faults++ == 0 && message) {
        verdict->First = message;
        while (!verdict->First.empty() &&
               (verdict->First.back() == '\n' || verdict->First.back() == ' '))
            verdict->First.pop_back();
    }
}

}  // namespace

// Read as a stream, not as a tree: an answer of items with photos would otherwise be held
// twice over, as the tree and as the items taken from it.
void PrepareXml() {
    static std::once_flag prepared;
    std::call_once(prepared, [] { xmlInitParser(); });
}

MultiStatus ParseMultiStatus(const std::string& xml) {
    if (xml.size() > kMaxResponseBytes) {
        throw SyncError("The server's answer is too large", SyncFailure::BadAnswer);
    }
    // Huge text: an item with a large photo is one text node of many megabytes, which
    // libxml2 would otherwise cut off; the answer as a whole is bounded by kMaxResponseBytes.
    std::unique_ptr<xmlTextReader, decltype(&xmlFreeTextReader)> reader(
        xmlReaderForMemory(xml.data(), static_cast<int>(xml.size()), "response.xml", nullptr,
                           XML_PARSE_NONET | XML_PARSE_HUGE),
        xmlFreeTextReader);
    if (!reader) throw std::bad_alloc();
    ParseVerdict verdict;
    // Whatever libxml2 finds wrong, even a warning, makes the answer unusable: it may stop
    // at a fault and keep what it read so far, and a listing cut short would take the items
    // after the cut for deleted.
    xmlTextReaderSetErrorHandler(reader.get(), OnReaderError, &verdict);
    MultiStatus out;
    MultiStatusReader state(out);
    int step;
    while ((step = xmlTextReaderRead(reader.get())) == 1 && verdict.Faults == 0) {
        const int type = xmlTextReaderNodeType(reader.get());
        const int depth = xmlTextReaderDepth(reader.get());
        switch (type) {
        case XML_READER_TYPE_DOCUMENT_TYPE:
        case XML_READER_TYPE_ENTITY_REFERENCE:
            // A DAV answer has no use for a DOCTYPE, and its entities are how an answer of a
            // megabyte grows to gigabytes once read: none is ever expanded.
            throw SyncError("The server sent an answer with a DOCTYPE, which is refused",
                            SyncFailure::BadAnswer);
        case XML_READER_TYPE_ELEMENT: {
            const auto* ns = reinterpret_cast<const char*>(xmlTextReaderConstNamespaceUri(reader.get()));
            const auto* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
            state.Start(ns, name ? name : "", depth, reader.get());
            if (xmlTextReaderIsEmptyElement(reader.get())) state.End(depth);
            break;
        }
        case XML_READER_TYPE_END_ELEMENT:
            state.End(depth);
            break;
        case XML_READER_TYPE_TEXT:
        case XML_READER_TYPE_CDATA:
        case XML_READER_TYPE_WHITESPACE:
        case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            if (const xmlChar* value = xmlTextReaderConstValue(reader.get()))
                state.Text(reinterpret_cast<const char*>(value));
            break;
        default:
            break;
        }
    }
    if (step != 0 || verdict.Faults > 0 || !state.RootSeen()) {
        throw SyncError("The server sent a malformed answer (not well-formed XML" +
                            (verdict.First.empty() ? std::string() : ": " + verdict.First) + ")",
                        SyncFailure::BadAnswer);
    }
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

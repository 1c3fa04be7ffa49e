#include "sync/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cctype>
#include <mutex>

#include "storage/text.h"

namespace pomix::sync {
namespace {

struct UrlParts {
    std::string Scheme, Host, Port, Path, User, Password;
};

std::string Part(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || !text) return {};
    std::string out(text);
    curl_free(text);
    return out;
}

// Parts of an absolute URL; nothing (empty scheme) when it is not one.
UrlParts Split(const std::string& url) {
    UrlParts parts;
    CURLU* handle = curl_url();
    if (!handle) throw std::bad_alloc();
    if (curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
        parts.Scheme = Part(handle, CURLUPART_SCHEME);
        parts.Host = Part(handle, CURLUPART_HOST);
        char* port = nullptr;
        if (curl_url_get(handle, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK && port) {
            parts.Port = port;
            curl_free(port);
        }
        parts.Path = Part(handle, CURLUPART_PATH);
        parts.User = Part(handle, CURLUPART_USER);
        parts.Password = Part(handle, CURLUPART_PASSWORD);
    }
    curl_url_cleanup(handle);
    parts.Scheme = LowerAscii(parts.Scheme);
    parts.Host = LowerAscii(parts.Host);
    return parts;
}

// Only what cannot name another machine: a name starting with "127." may be anyone's.
bool IsLoopback(const std::string& host) {
    if (host == "localhost" || host == "[::1]" || host == "::1") return true;
    int parts = 0, digits = 0;
    for (const char c : host + ".") {
        if (c == '.') {
            if (digits == 0 || digits > 3) return false;
            ++parts;
            digits = 0;
        } else if (c >= '0' && c <= '9') {
            ++digits;
        } else {
            return false;
        }
    }
    return parts == 4 && host.rfind("127.", 0) == 0;
}

std::string OriginOf(const UrlParts& p) {
    return p.Scheme + "://" + p.Host + ":" + p.Port;
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<std::string*>(user);
    const size_t bytes = size * count;
    if (body->size() + bytes > kMaxResponseBytes) return 0;  // ends the transfer with an error
    body->append(data, bytes);
    return bytes;
}

size_t CollectHeader(char* data, size_t size, size_t count, void* user) {
    auto* response = static_cast<HttpResponse*>(user);
    const size_t bytes = size * count;
    const std::string line(data, bytes);
    const std::size_t colon = line.find(':');
    if (line.rfind("HTTP/", 0) == 0) {  // a new response (after 100 Continue or a redirect)
        response->ETag.clear();
        response->Location.clear();
        response->ContentType.clear();
    } else if (colon != std::string::npos) {
        std::string name = line.substr(0, colon);
        name = LowerAscii(name);
        if (name == "etag") response->ETag = Trim(line.substr(colon + 1));
        if (name == "location") response->Location = Trim(line.substr(colon + 1));
        if (name == "content-type") response->ContentType = Trim(line.substr(colon + 1));
        // The body's room at once: grown by doubling, a large answer would take twice its
        // size for a moment.
        if (name == "content-length") {
            const unsigned long long length =
                std::strtoull(Trim(line.substr(colon + 1)).c_str(), nullptr, 10);
            if (length > 0 && length <= kMaxResponseBytes) response->Body.reserve(length);
        }
    }
    return bytes;
}

std::once_flag curlInit;

SyncError OverTime(std::chrono::seconds limit) {
    return SyncError("The sync ran past its time limit of " + std::to_string(limit.count()) +
                         " s (the server answers too slowly; see --timeout)",
                     SyncFailure::Unreachable);
}

}  // namespace

std::string StatusText(long status) {
    switch (status) {
    case 400: return "400 Bad Request";
    case 401: return "401 Unauthorized (wrong user name or password)";
    case 403: return "403 Forbidden";
    case 404: return "404 Not Found";
    case 405: return "405 Method Not Allowed";
    case 409: return "409 Conflict";
    case 412: return "412 Precondition Failed (changed on the server meanwhile)";
    case 413: return "413 Payload Too Large";
    case 415: return "415 Unsupported Media Type";
    case 500: return "500 Internal Server Error";
    case 502: return "502 Bad Gateway";
    case 503: return "503 Service Unavailable";
    case 507: return "507 Insufficient Storage";
    default: return std::to_string(status);
    }
}

HttpConnection::HttpConnection(const Account& account) : account_(account) {
    std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    const UrlParts parts = Split(account.Server);
    if (parts.Scheme != "http" && parts.Scheme != "https") {
        throw SyncError("The server address must begin with https:// (or http:// for this machine)",
                        SyncFailure::Address);
    }
    if (!parts.User.empty() || !parts.Password.empty()) {
        throw SyncError("Give the user name with --user, not in the server address",
                        SyncFailure::Address);
    }
    if (parts.Scheme == "http" && !IsLoopback(parts.Host) && !account.AllowPlainHttp) {
        throw SyncError("Plain http sends the password readable on the way; use https, or allow "
                        "plain http in the sync settings",
                        SyncFailure::Address);
    }
    origin_ = OriginOf(parts);
    curl_ = curl_easy_init();
    if (!curl_) throw std::bad_alloc();
}

HttpConnection::~HttpConnection() {
    curl_easy_cleanup(static_cast<CURL*>(curl_));
}

bool HttpConnection::OnOrigin(const std::string& url) const {
    const UrlParts parts = Split(url);
    return !parts.Scheme.empty() && OriginOf(parts) == origin_;
}

void HttpConnection::CheckUrl(const std::string& url) const {
    if (!OnOrigin(url)) {
        throw SyncError("The server pointed to another host; the sync goes only to " +
                        origin_.substr(0, origin_.rfind(':')));
    }
}

std::string HttpConnection::Resolve(const std::string& base, const std::string& href) {
    CURLU* handle = curl_url();
    if (!handle) throw std::bad_alloc();
    std::string out;
    if (curl_url_set(handle, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
        curl_url_set(handle, CURLUPART_URL, href.c_str(), 0) == CURLUE_OK) {
        out = Part(handle, CURLUPART_URL);
    }
    curl_url_cleanup(handle);
    if (out.empty()) throw SyncError("The server sent an address that cannot be read");
    return out;
}

std::string HttpConnection::PathOf(const std::string& url) {
    const std::string path = Split(url).Path;
    return path.empty() ? "/" : path;
}

HttpResponse HttpConnection::Request(const std::string& method, const std::string& url,
                                     const std::string& body,
                                     const std::vector<std::string>& headers) {
    CheckUrl(url);
    CURL* curl = static_cast<CURL*>(curl_);
    curl_easy_reset(curl);
    HttpResponse response;
    curl_slist* list = nullptr;
    for (const std::string& h : headers) list = curl_slist_append(list, h.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (method == "GET") curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    if (!body.empty() || method == "PUT" || method == "PROPFIND" || method == "REPORT" ||
        method == "MKCALENDAR" || method == "MKCOL") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);  // redirects are checked by the caller
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 20L);
    // A server slower than a trickle for three minutes is taken as gone (a large collection
    // on a cold server can take a minute before its first byte); the run's deadline bounds
    // the rest.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, kMinBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kSlowSeconds);
    const bool limited = account_.Deadline != std::chrono::steady_clock::time_point{};
    if (limited) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            account_.Deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            curl_slist_free_all(list);
            throw OverTime(account_.Limit);
        }
        curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
    }
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    if (!account_.User.empty()) {
        curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(curl, CURLOPT_USERNAME, account_.User.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, account_.Password.c_str());
    }
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.Body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, CollectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response);
    const CURLcode code = curl_easy_perform(curl);
    curl_slist_free_all(list);
    if (code == CURLE_WRITE_ERROR && response.Body.size() + CURL_MAX_WRITE_SIZE > kMaxResponseBytes) {
        throw SyncError("The server's answer is larger than " +
                        std::to_string(kMaxResponseBytes >> 20) + " MiB",
                        SyncFailure::BadAnswer);
    }
    // curl's clock may stop it a little before the deadline by this one.
    if (code == CURLE_OPERATION_TIMEDOUT && limited &&
        std::chrono::steady_clock::now() + std::chrono::milliseconds(200) >= account_.Deadline) {
        throw OverTime(account_.Limit);
    }
    if (code != CURLE_OK) {
        // curl's own text names the host and the reason, never the credentials.
        throw SyncError(std::string("The server cannot be reached: ") + curl_easy_strerror(code),
                        SyncFailure::Unreachable);
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.Status);
    return response;
}

}  // namespace pomix::sync

// HTTP for the sync engine: one connection (kept alive between requests) to one server, through
// libcurl.
//
// Safety rules every request obeys:
//   - https with the certificate and host name verified; plain http only to a loopback address
//     (127.0.0.0/8, ::1, localhost) unless the account allows it explicitly;
//   - the user name and password go only to the host of the server address, never into a URL,
//     a message or a log;
//   - a response body larger than kMaxResponseBytes ends the request with an error;
//   - the account's deadline ends any request still running then, and so does an answer
//     slower than kMinBytesPerSecond over kSlowSeconds.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace pomix::sync {

// What kind of failure a SyncError is, so that a window can say it in its own language.
enum class SyncFailure {
    Other,
    Address,      // the server address cannot be used (scheme, credentials in it, plain http)
    Unreachable,  // no connection, or the connection broke
    Refused,      // the server answered with an error status (Status holds it)
    BadAnswer,    // malformed or unexpected XML, an answer too large
    Missing,      // the named calendar or address book is not there
};

// Whatever keeps a sync from completing: the message is for the user (English, no secrets).
class SyncError : public std::runtime_error {
public:
    explicit SyncError(const std::string& message, SyncFailure kind = SyncFailure::Other,
                       long status = 0)
        : std::runtime_error(message), Kind(kind), Status(status) {}
    SyncFailure Kind;
    long Status;  // the HTTP status of a refusal
};

inline constexpr std::size_t kMaxResponseBytes = 256u << 20;
inline constexpr long kMinBytesPerSecond = 100;
inline constexpr long kSlowSeconds = 180;

struct Account {
    std::string Server;  // the address the user gave, http(s)://host[:port][/path]
    std::string User;
    std::string Password;
    bool AllowPlainHttp = false;  // http to a host that is not this machine
    // When the run must end, requests included; none when zero (Limit is for its message).
    std::chrono::steady_clock::time_point Deadline{};
    std::chrono::seconds Limit{0};
};

struct HttpResponse {
    long Status = 0;
    std::string Body;
    std::string ETag;      // as sent, quotes included
    std::string Location;  // of a redirect or a created item
    std::string ContentType;
};

class HttpConnection {
public:
    // Raises SyncError for an address that is not http(s), carries a user or password in it,
    // or is plain http to another machine without AllowPlainHttp.
    explicit HttpConnection(const Account& account);
    ~HttpConnection();
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    // One request; raises SyncError when the server cannot be reached or the answer is too
    // large. Any status is returned (the caller decides what it means). url must be on the
    // server's host: requests elsewhere are refused, so credentials never travel there.
    HttpResponse Request(const std::string& method, const std::string& url,
                         const std::string& body = {},
                         const std::vector<std::string>& headers = {});

    // The absolute URL of href (absolute, or a path) relative to base.
    static std::string Resolve(const std::string& base, const std::string& href);
    // The path of an absolute URL, percent escapes as sent ("/" when it has none).
    static std::string PathOf(const std::string& url);
    // Whether url is on the server's scheme, host and port.
    bool OnOrigin(const std::string& url) const;
    // The server address without its path: scheme://host[:port].
    const std::string& Origin() const { return origin_; }

private:
    void CheckUrl(const std::string& url) const;

    Account account_;
    std::string origin_;
    void* curl_ = nullptr;
};

// "401 Unauthorized"-style text for a status, for messages.
std::string StatusText(long status);

}  // namespace pomix::sync

// How the stream player fetches bytes over HTTP: a small interface, so the sources and the
// session meet every answer and failure alike, whichever client brought it. Implementations: WinHTTP (http and https, TLS,
// proxy, redirects) and a Winsock HTTP/1.0 client for old servers that answer "ICY 200 OK".
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "player/stream/base/failure.h"

namespace zarvio::stream {

struct HttpRequest {
    std::wstring url;
    bool icyMetadata = true;                 // sends "Icy-MetaData: 1"
    std::optional<uint64_t> rangeStart;      // "Range: bytes=start-end" when set
    std::optional<uint64_t> rangeEnd;        // inclusive; open-ended when unset
};

struct HttpResponse {
    int status = 0;                          // 200, 206, ... ("ICY 200 OK" reads as 200)
    std::wstring finalUrl;                   // after redirects, for resolving relative addresses
    std::wstring contentType;                // lower case, parameters cut off ("audio/mpeg")
    std::optional<uint64_t> contentLength;
    size_t icyMetaInt = 0;                   // 0 when the answer has no icy-metaint
};

// The body of one answer. Read blocks at most the receive timeout.
class HttpBody {
public:
    virtual ~HttpBody() = default;
    // Reads up to capacity bytes into buffer. Returns the count; 0 at the end of the body.
    // On a failure (stall, drop, ...) returns nullopt and sets failure.
    virtual std::optional<size_t> Read(uint8_t* buffer, size_t capacity, Failure& failure) = 0;
};

class HttpTransport {
public:
    virtual ~HttpTransport() = default;
    // Sends the request and waits for the answer's headers (redirects followed). Any final
    // status is returned, 4xx and 5xx included, with a body to read or drop; nullptr and failure
    // set when no answer came (DNS, refused, timeout, certificate, too many redirects, ...).
    virtual std::unique_ptr<HttpBody> Open(const HttpRequest& request, HttpResponse& response,
                                           Failure& failure) = 0;
    // From another thread: the transport's pending and later calls fail at once where the
    // system can cut them short (a stopped playback lets go of the network). Never blocks.
    virtual void Cancel() {}
};

}  // namespace zarvio::stream

// What the two HTTP clients (WinHTTP and the Winsock one) do alike around a request: the Range
// header they send, and the redirects they follow themselves, so that both count hops the same
// way and resolve every Location as any other address is resolved.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "player/stream/base/ascii.h"
#include "player/stream/base/url_resolve.h"
#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

inline constexpr int kMaxRedirects = 5;

inline bool IsRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// "Range: bytes=start-end\r\n" (open-ended without an end), or nothing when the request asks
// for the whole body.
inline std::string RangeHeaderLine(const HttpRequest& request) {
    if (!request.rangeStart) return {};
    return "Range: bytes=" + std::to_string(*request.rangeStart) + "-" +
           (request.rangeEnd ? std::to_string(*request.rangeEnd) : std::string()) + "\r\n";
}

// One request's outcome: the final answer's body, or the Location of a redirect to follow.
// Neither means the request failed, and the hop set the failure.
struct Hop {
    std::unique_ptr<HttpBody> body;
    std::optional<std::string> redirect;  // UTF-8, as the Location header gave it
};

// Sends a request to url (UTF-8) through sendOne(url) -> Hop and follows its redirects, at most
// kMaxRedirects of them, each Location resolved against the address that answered with it.
template <typename SendOne>
std::unique_ptr<HttpBody> OpenFollowingRedirects(std::string url, Failure& failure, SendOne&& sendOne) {
    for (int hops = 0;; ++hops) {
        Hop hop = sendOne(static_cast<const std::string&>(url));
        if (!hop.redirect) return std::move(hop.body);
        if (hops == kMaxRedirects) {
            failure = Failure{FailureCause::TooManyRedirects, 0};
            return nullptr;
        }
        url = ResolveUrl(url, TrimAscii(*hop.redirect));
    }
}

}  // namespace zarvio::stream

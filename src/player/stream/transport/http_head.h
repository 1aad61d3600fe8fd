// The parts of HTTP the stream transports read themselves: an answer's status line and headers
// (as the Winsock client receives them), the Content-Type's media type, decimal header values,
// and plain http addresses with their redirect targets.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zarvio::stream {

struct HttpHead {
    int status = 0;
    // Names in lower case, values with surrounding blanks cut, in the order received.
    std::vector<std::pair<std::string, std::string>> headers;

    // The first header of that name (any case); nullopt when absent.
    std::optional<std::string> Find(std::string_view name) const;
};

// Where the head ends in received bytes: the offset just past the blank line ("\r\n\r\n", or
// "\n\n" from careless servers); nullopt while it has not arrived.
std::optional<size_t> EndOfHead(std::string_view received);

// The head before the blank line. Accepts "HTTP/1.x NNN reason" and the "ICY NNN reason" of
// old stream servers; nullopt for anything else (an HTTP/0.9 answer, garbage).
std::optional<HttpHead> ParseHttpHead(std::string_view head);

// "Audio/MPEG; charset=x" -> "audio/mpeg".
std::string MediaTypeOf(std::string_view contentType);

// A header's unsigned decimal value ("  8192 "); nullopt for anything else or on overflow.
std::optional<uint64_t> ParseDecimal(std::string_view text);

// An http address split for a direct connection.
struct PlainHttpAddress {
    std::string host;     // as written (a name or an IPv4 literal); brackets of IPv6 removed
    uint16_t port = 80;
    std::string target;   // path and query, "/" at least; the fragment dropped
};

// Only "http://" addresses (any case), with an optional port; nullopt for other schemes, an
// empty host, user info or a bad port.
std::optional<PlainHttpAddress> ParsePlainHttpAddress(std::string_view url);

// Whether an address is plain http (no TLS): the case the Winsock client can take over.
bool IsPlainHttpUrl(std::wstring_view url);

}  // namespace zarvio::stream

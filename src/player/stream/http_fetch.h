// Fetching a whole small resource (a playlist, a segment, a key) over the stream transport.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "player/stream/http_transport.h"

namespace zarvio::stream {

struct Fetched {
    std::vector<uint8_t> bytes;
    std::string finalUrl;  // UTF-8, after redirects
    std::string contentType;
};

// Reads the resource at url (UTF-8) whole, or the range [offset, offset + length). A status
// other than 2xx, a body cut short of its length or longer than limit are failures.
std::optional<Fetched> FetchWhole(HttpTransport& transport, const std::string& url,
                                  std::optional<uint64_t> offset, std::optional<uint64_t> length,
                                  size_t limit, Failure& failure);

// Reads what remains of an open body to its end (at most limit bytes in all) (appending to bytes).
bool ReadRest(HttpBody& body, std::vector<uint8_t>& bytes, size_t limit, Failure& failure);

}  // namespace zarvio::stream

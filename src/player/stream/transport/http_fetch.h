// Fetching a whole small resource (a playlist, a segment, a key) over the stream transport.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

struct Fetched {
    std::vector<uint8_t> bytes;
    std::string finalUrl;  // UTF-8, after redirects
    std::string contentType;
};

// Asked between reads: true when whoever fetches has been stopped, so a long fetch ends at the
// next read rather than at its end. Unset: never.
using StopAsked = std::function<bool()>;

// Reads the resource at url (UTF-8) whole, or the range [offset, offset + length). A status
// other than 2xx, a body cut short of its length or longer than limit are failures, and so is
// a stop.
std::optional<Fetched> FetchWhole(HttpTransport& transport, const std::string& url,
                                  std::optional<uint64_t> offset, std::optional<uint64_t> length,
                                  size_t limit, Failure& failure, const StopAsked& stopped = {});

// Reads what remains of an open body to its end (at most limit bytes in all) (appending to bytes).
bool ReadRest(HttpBody& body, std::vector<uint8_t>& bytes, size_t limit, Failure& failure,
              const StopAsked& stopped = {});

}  // namespace zarvio::stream

// The tests' server's request log, read over a connection of its own: how often each path was
// asked for, so a test can tell that every segment was fetched once.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "player/stream/transport/http_fetch.h"
#include "player/stream/transport/winsock_http10.h"
#include "support/stream_world.h"

namespace zarvio::test {

// path -> number of requests, for the paths that start with prefix (ASCII); empty without a server.
inline std::map<std::string, int> LoggedRequests(const std::string& prefix) {
    std::map<std::string, int> out;
    const std::wstring url = ServerUrl(L"/log?prefix=" + std::wstring(prefix.begin(), prefix.end()));
    if (url.empty()) return out;
    stream::WinsockHttp10Transport transport;
    stream::Failure failure;
    const auto fetched = stream::FetchWhole(transport, std::string(url.begin(), url.end()), std::nullopt,
                                            std::nullopt, 1 << 20, failure);
    if (!fetched) return out;
    std::istringstream lines(std::string(fetched->bytes.begin(), fetched->bytes.end()));
    std::string path;
    int count = 0;
    while (lines >> path >> count) out[path] = count;
    return out;
}

// The media sequence number -> requests of the segments ("SEQ.EXT") under prefix.
inline std::map<uint64_t, int> LoggedSegments(const std::string& prefix) {
    std::map<uint64_t, int> out;
    for (const auto& [path, count] : LoggedRequests(prefix)) {
        const std::string name = path.substr(prefix.size());
        if (name.empty() || name.find('/') != std::string::npos || name.find(".m3u8") != std::string::npos) continue;
        if (name.find_first_not_of("0123456789") != name.find('.') || name.front() == '.') continue;
        out[std::stoull(name)] = count;
    }
    return out;
}

}  // namespace zarvio::test

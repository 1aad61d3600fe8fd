// Station lists that users paste or stations publish: .pls ("[playlist]", File1=...) and plain
// .m3u (one address a line, #EXTINF titles optional). HLS playlists, which are also M3U, are
// hls_playlist.h's.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zarvio::stream {

inline constexpr size_t kMaxStationListBytes = 1u << 20;
inline constexpr size_t kMaxStationListEntries = 1000;

struct StationEntry {
    std::string url;    // resolved against the list's address
    std::string title;  // TitleN= or the #EXTINF text, empty when the list names none
};

// The entries of a station list fetched from baseUrl (its final address after redirects), in
// the order they are to be tried. A .pls (a "[playlist]" line, or FileN= lines) is ordered by
// N, the first FileN= of an N counting; an M3U's entries are its lines that are neither blank
// nor comments. Empty when the text is larger than kMaxStationListBytes; at most
// kMaxStationListEntries entries.
std::vector<StationEntry> ParseStationList(std::string_view text, std::string_view baseUrl);

}  // namespace zarvio::stream

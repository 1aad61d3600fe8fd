// libFuzzer target for the .pls / .m3u station list reader, built natively by
// `scripts/test --fuzz`.
// fuzz-sources: player/stream/lists/station_playlist.cpp player/stream/base/url_resolve.cpp
//
// For any input: at most the entry limit, every entry an address with a scheme (the base has
// one) and no line break in it or its title, never more entries than lines; and the same text
// with a byte order mark and CR LF line ends gives the same entries.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "player/stream/lists/station_playlist.h"
#include "player/stream/base/url_resolve.h"

using namespace zarvio::stream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view base = "http://lists.example/a/b.pls";
    const auto entries = ParseStationList(text, base);
    if (entries.size() > kMaxStationListEntries) std::abort();
    size_t lines = 1;
    for (char c : text) lines += c == '\n' || c == '\r';
    if (entries.size() > lines) std::abort();
    for (const StationEntry& e : entries) {
        if (e.url.find_first_of("\r\n") != std::string::npos) std::abort();
        if (e.title.find_first_of("\r\n") != std::string::npos) std::abort();
        if (!SplitUrl(e.url).scheme) std::abort();
    }
    if (!text.starts_with("\xEF\xBB\xBF")) {
        std::string windows = "\xEF\xBB\xBF";
        for (char c : text) {
            if (c == '\n') windows += '\r';
            windows += c;
        }
        if (windows.size() <= kMaxStationListBytes) {
            const auto again = ParseStationList(windows, base);
            if (again.size() != entries.size()) std::abort();
            for (size_t i = 0; i < entries.size(); ++i) {
                if (again[i].url != entries[i].url || again[i].title != entries[i].title) std::abort();
            }
        }
    }
    return 0;
}

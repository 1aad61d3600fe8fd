#include "player/stream/lists/station_playlist.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <map>

#include "player/stream/base/playlist_text.h"
#include "player/stream/base/url_resolve.h"

namespace zarvio::stream {
namespace {

// "File12=..." as ("file", 12, "..."): a key of letters, a number, '=' and the value.
struct PlsLine {
    std::string_view key;
    uint32_t number = 0;
    std::string_view value;
};

bool ReadPlsLine(std::string_view line, PlsLine& out) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view name = TrimAscii(line.substr(0, eq));
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    if (digits == 0 || digits == name.size() || name.size() - digits > 9) return false;
    out.key = name.substr(0, digits);
    std::from_chars(name.data() + digits, name.data() + name.size(), out.number);
    out.value = TrimAscii(line.substr(eq + 1));
    return true;
}

bool LooksLikePls(std::string_view text) {
    bool pls = false;
    ForEachPlaylistLine(text, [&](std::string_view line) {
        PlsLine p;
        if (line.empty()) return true;
        pls = EqualsNoCase(line, "[playlist]") || (ReadPlsLine(line, p) && EqualsNoCase(p.key, "file"));
        return false;  // the first line that is not blank decides
    });
    return pls;
}

std::vector<StationEntry> ReadPls(std::string_view text, std::string_view base) {
    std::map<uint32_t, StationEntry> byNumber;
    std::map<uint32_t, std::string_view> titles;
    ForEachPlaylistLine(text, [&](std::string_view line) {
        PlsLine p;
        if (!ReadPlsLine(line, p) || p.value.empty()) return true;
        if (EqualsNoCase(p.key, "file") && byNumber.size() < kMaxStationListEntries) {
            byNumber.try_emplace(p.number, StationEntry{ResolveUrl(base, p.value), {}});
        } else if (EqualsNoCase(p.key, "title")) {
            titles.try_emplace(p.number, p.value);
        }
        return true;
    });
    std::vector<StationEntry> out;
    out.reserve(byNumber.size());
    for (auto& [number, entry] : byNumber) {
        if (const auto t = titles.find(number); t != titles.end()) entry.title = std::string(t->second);
        out.push_back(std::move(entry));
    }
    return out;
}

std::vector<StationEntry> ReadM3u(std::string_view text, std::string_view base) {
    std::vector<StationEntry> out;
    std::string_view title;
    ForEachPlaylistLine(text, [&](std::string_view line) {
        if (line.empty()) return true;
        if (line[0] == '#') {
            if (line.starts_with("#EXTINF:")) {
                const size_t comma = line.find(',');
                title = comma == std::string_view::npos ? std::string_view() : TrimAscii(line.substr(comma + 1));
            }
            return true;
        }
        out.push_back(StationEntry{ResolveUrl(base, line), std::string(title)});
        title = {};
        return out.size() < kMaxStationListEntries;
    });
    return out;
}

}  // namespace

std::vector<StationEntry> ParseStationList(std::string_view text, std::string_view baseUrl) {
    if (text.size() > kMaxStationListBytes) return {};
    return LooksLikePls(text) ? ReadPls(text, baseUrl) : ReadM3u(text, baseUrl);
}

}  // namespace zarvio::stream

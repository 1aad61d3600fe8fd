// Line handling shared by the playlist readers: a UTF-8 byte order mark at the start, LF, CR LF
// or lone CR line ends, and blanks around values.
#pragma once
#include <cstddef>
#include <string_view>

#include "player/stream/base/ascii.h"

namespace zarvio::stream {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline std::string_view WithoutBom(std::string_view text) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    return text;
}

// Calls f(line) for every line of text (BOM removed, line ends and surrounding blanks cut off),
// blank lines included; f returns false to stop early.
template <typename F>
void ForEachPlaylistLine(std::string_view text, F&& f) {
    text = WithoutBom(text);
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1));
        }
        if (!f(TrimAscii(line))) return;
    }
}

}  // namespace zarvio::stream

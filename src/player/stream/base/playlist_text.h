// Line handling shared by the playlist readers: a UTF-8 byte order mark at the start, LF, CR LF
// or lone CR line ends, and blanks around values. Plain C++, no Windows calls.
#pragma once
#include <cstddef>
#include <string_view>

namespace zarvio::stream {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline std::string_view WithoutBom(std::string_view text) {
    if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
    return text;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

inline bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
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
        if (!f(TrimBlanks(line))) return;
    }
}

}  // namespace zarvio::stream

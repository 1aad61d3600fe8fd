// ASCII text helpers for what the stream player reads from servers: HTTP heads, playlists,
// content types and extensions. Their keywords are ASCII whatever else the texts hold, so case
// and blanks are ASCII's alone, and no locale changes how they compare.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace zarvio::stream {

// Space, tab, the line ends, vertical tab and form feed: the blanks cut off around values.
inline bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline std::string_view TrimAscii(std::string_view s) {
    while (!s.empty() && IsAsciiSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsAsciiSpace(s.back())) s.remove_suffix(1);
    return s;
}

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiLower(c);
    return out;
}

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

}  // namespace zarvio::stream

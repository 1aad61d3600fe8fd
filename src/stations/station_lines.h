// The reading rules of the station files on raw bytes, free of any platform header so that the
// line reader can also be built and fuzzed natively.
#pragma once
#include <string_view>

namespace zarvio {

// Calls take(line) for every line of bytes in order: CR LF and a lone CR end a line, a lone LF
// stays in the text, the last line may lack its terminator, and a final terminator adds no empty
// line. Each line is a view into bytes.
//
// CR never occurs inside a double-byte character of the ANSI code pages (their trail bytes start
// at 0x40), so the raw bytes can be split before they are decoded.
template <typename Take>
void ForEachStationLine(std::string_view bytes, Take&& take) {
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t cr = bytes.find('\r', start);
        if (cr == std::string_view::npos) {
            take(bytes.substr(start));  // the last line, without its terminator
            return;
        }
        take(bytes.substr(start, cr - start));
        start = cr + 1;
        if (start < bytes.size() && bytes[start] == '\n') ++start;
    }
}

// How many lines ForEachStationLine finds in bytes.
inline size_t CountStationLines(std::string_view bytes) {
    size_t n = 0;
    ForEachStationLine(bytes, [&n](std::string_view) { ++n; });
    return n;
}

}  // namespace zarvio

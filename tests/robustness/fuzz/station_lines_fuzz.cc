// libFuzzer target for the station files' line reader, built natively (not with MinGW) by
// `scripts/test --fuzz`. The .cc extension keeps it out of the Windows test program.
//
// For any input, the lines must be consecutive pieces of it, each followed by CR LF, a lone CR,
// or the end of the input; no line holds a CR; no line begins at the very end; and nothing of the
// input is left over. A fault aborts, which libFuzzer reports with the input that caused it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "stations/station_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    zarvio::ForEachStationLine(input, [&](std::string_view line) {
        if (pos >= input.size()) std::abort();                 // a line after the end
        if (line.data() != input.data() + pos) std::abort();   // not where the last one ended
        if (line.find('\r') != std::string_view::npos) std::abort();
        pos += line.size();
        if (pos > input.size()) std::abort();
        if (pos == input.size()) return;
        if (input[pos] != '\r') std::abort();                  // a line must end at a CR
        ++pos;
        if (pos < input.size() && input[pos] == '\n') ++pos;
    });
    if (pos != input.size()) std::abort();
    return 0;
}

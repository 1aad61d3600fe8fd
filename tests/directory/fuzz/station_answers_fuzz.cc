// libFuzzer target for the station directory's answer reader and the addresses it hands on,
// built natively by `scripts/test --fuzz`.
// fuzz-sources: directory/station_answers.cpp directory/directory_requests.cpp
//
// Whatever the bytes, the reader must end, refuse or give stations the window can show and the
// station files can store: a name and an address, one line each, valid UTF-8, counts in range.
// The repaired text must be valid UTF-8 and leave valid input as it was; an escaped address must
// be printable ASCII that unescapes to the address.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "directory/directory_requests.h"
#include "directory/station_answers.h"

using namespace zarvio::directory;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool ValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        int extra;
        uint32_t cp;
        if (lead < 0x80) { extra = 0; cp = lead; }
        else if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; }
        else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
        else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; }
        else return false;
        if (s.size() - i - 1 < static_cast<size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = cp << 6 | (c & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += 1 + extra;
    }
    return true;
}

bool OneLine(std::string_view s) {
    return std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

// What EncodeAddress must make of one byte.
std::string Escaped(unsigned char c) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (c > 0x20 && c < 0x7F) return std::string(1, static_cast<char>(c));
    return {'%', kHex[c >> 4], kHex[c & 0xF]};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);

    const std::string repaired = RepairUtf8(body);
    Check(ValidUtf8(repaired));
    if (ValidUtf8(body)) Check(repaired == body);

    const StationsAnswer stations = ParseStations(body);
    if (stations.error != AnswerError::None) Check(stations.stations.empty());
    for (const DirectoryStation& s : stations.stations) {
        Check(!s.name.empty() && !s.url.empty());
        for (const std::string* text : {&s.uuid, &s.name, &s.url, &s.country, &s.codec})
            Check(ValidUtf8(*text) && OneLine(*text));
        Check(s.name.size() <= 256 && s.url.size() <= 2048);
        Check(s.bitrate >= 0 && s.bitrate <= 100000 && s.clickCount >= 0);
        const std::string escaped = EncodeAddress(s.url);
        std::string expected;
        for (const char c : s.url) expected += Escaped(static_cast<unsigned char>(c));
        Check(escaped == expected);
    }

    const CountriesAnswer countries = ParseCountries(body);
    Check(std::is_sorted(countries.names.begin(), countries.names.end()));
    Check(std::adjacent_find(countries.names.begin(), countries.names.end()) == countries.names.end());
    for (const std::string& n : countries.names) Check(!n.empty() && ValidUtf8(n) && OneLine(n));
    return 0;
}

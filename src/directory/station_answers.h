// Reading the station directory's answers: JSON arrays of stations and of countries, as the
// directory documents them. The answers come from the network and are trusted in nothing: a
// missing field, a null, a field of the wrong type, a huge number or broken UTF-8 costs at most
// the one entry; an answer that is no JSON at all, nests without end or is larger than
// kMaxAnswerBytes is refused whole. Plain C++, no Windows calls, so it is fuzzed natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvio::directory {

// The most a search or country answer may hold. A page of 100 stations is some 150 KB; an
// answer of 10,000 stations with every documented field about 15 MB.
inline constexpr size_t kMaxAnswerBytes = size_t{32} << 20;

// One station as the window needs it. Texts are valid UTF-8, one line each.
struct DirectoryStation {
    std::string uuid;     // "stationuuid": what the click call names; may be empty
    std::string name;
    std::string url;      // "url_resolved" when the directory gives one, else "url"
    std::string country;
    std::string codec;
    int64_t bitrate = 0;     // kbit/s, 0 when unknown
    int64_t clickCount = 0;  // the directory's popularity
};

enum class AnswerError {
    None,
    Malformed,  // not JSON, or JSON of another shape (not an array)
    TooLarge,   // over kMaxAnswerBytes, or nested deeper than any answer of the directory
};

struct StationsAnswer {
    AnswerError error = AnswerError::None;
    std::vector<DirectoryStation> stations;  // in the directory's order
    size_t skipped = 0;                      // entries without a usable name or address
};

struct CountriesAnswer {
    AnswerError error = AnswerError::None;
    std::vector<std::string> names;  // sorted, without duplicates or empty names
};

StationsAnswer ParseStations(std::string_view body);
CountriesAnswer ParseCountries(std::string_view body);

// The bytes with every sequence that is not UTF-8 replaced by U+FFFD, so that one station's
// broken name does not cost the whole page.
std::string RepairUtf8(std::string_view bytes);

}  // namespace zarvio::directory

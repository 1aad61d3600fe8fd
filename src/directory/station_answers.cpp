#include "directory/station_answers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

namespace zarvio::directory {
namespace {

using nlohmann::json;

// The directory's answers are an array of flat objects: depth 2. Room above that for fields the
// directory may add one day, and no more, so an answer of nothing but brackets is refused early.
constexpr int kMaxDepth = 16;
constexpr size_t kMaxNameBytes = 256;
constexpr size_t kMaxUrlBytes = 2048;
// Counts above this are no counts: the largest a station has is in the millions.
constexpr int64_t kMaxCount = int64_t{1} << 40;

struct TooDeep {};

// Only the fields the program shows or uses are kept; the parser drops every other one as it
// reads it, which saves most of the work on a large answer.
bool KeptKey(std::string_view key) {
    static constexpr std::string_view kKept[] = {"stationuuid", "name",     "url",       "url_resolved",
                                                 "country",     "codec",    "bitrate",   "clickcount",
                                                 "lastcheckok"};
    return std::find(std::begin(kKept), std::end(kKept), key) != std::end(kKept);
}

json Parse(std::string_view body, AnswerError& error) {
    if (body.size() > kMaxAnswerBytes) {
        error = AnswerError::TooLarge;
        return nullptr;
    }
    const std::string text = RepairUtf8(body);
    const json::parser_callback_t keep = [](int depth, json::parse_event_t event, json& parsed) {
        if (depth > kMaxDepth) throw TooDeep{};
        if (event == json::parse_event_t::key && parsed.is_string()) return KeptKey(parsed.get_ref<const std::string&>());
        return true;
    };
    try {
        json doc = json::parse(text, keep);
        if (!doc.is_array()) error = AnswerError::Malformed;
        return doc;
    } catch (const TooDeep&) {
        error = AnswerError::TooLarge;
    } catch (const json::exception&) {
        error = AnswerError::Malformed;
    } catch (const std::bad_alloc&) {
        error = AnswerError::TooLarge;
    }
    return nullptr;
}

const json* Field(const json& entry, const char* key) {
    const auto it = entry.find(key);
    return it == entry.end() ? nullptr : &*it;
}

std::string TextOf(const json& entry, const char* key) {
    const json* v = Field(entry, key);
    return v && v->is_string() ? v->get<std::string>() : std::string();
}

// A count as a number, or as the decimal text older servers sent; anything else is 0.
int64_t CountOf(const json& entry, const char* key) {
    const json* v = Field(entry, key);
    if (!v) return 0;
    int64_t n = 0;
    if (v->is_number_unsigned()) {
        n = static_cast<int64_t>(std::min<uint64_t>(v->get<uint64_t>(), kMaxCount));
    } else if (v->is_number_integer()) {
        n = v->get<int64_t>();
    } else if (v->is_number_float()) {
        const double d = v->get<double>();
        n = std::isfinite(d) ? static_cast<int64_t>(std::clamp(d, 0.0, static_cast<double>(kMaxCount))) : 0;
    } else if (v->is_string()) {
        const std::string& s = v->get_ref<const std::string&>();
        if (std::from_chars(s.data(), s.data() + s.size(), n).ec != std::errc()) n = 0;
    }
    return std::clamp<int64_t>(n, 0, kMaxCount);
}

// Whether the directory says its last check of the station failed (0, false or "0").
bool CheckedBroken(const json& entry) {
    const json* v = Field(entry, "lastcheckok");
    if (!v) return false;
    if (v->is_boolean()) return !v->get<bool>();
    if (v->is_number()) return v->get<double>() == 0;
    if (v->is_string()) return v->get_ref<const std::string&>() == "0";
    return false;
}

// Cuts at most max bytes, at the start of a UTF-8 character.
void CutTo(std::string& s, size_t max) {
    if (s.size() <= max) return;
    size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
}

// One line for a list row and a station file: control characters become blanks, blanks at
// either end go.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

std::string RepairUtf8(std::string_view in) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        const auto lead = static_cast<unsigned char>(in[i]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        int extra = 0;
        uint32_t cp = 0;
        if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; }
        else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
        else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; }
        bool ok = extra > 0 && in.size() - i > static_cast<size_t>(extra);
        for (int k = 1; ok && k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(in[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = cp << 6 | (c & 0x3F);
        }
        static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (ok) ok = cp >= kSmallest[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (ok) {
            out.append(in.substr(i, static_cast<size_t>(extra) + 1));
            i += static_cast<size_t>(extra) + 1;
        } else {
            out += kReplacement;
            ++i;  // the next byte may start a character of its own
        }
    }
    return out;
}

StationsAnswer ParseStations(std::string_view body) {
    StationsAnswer answer;
    const json doc = Parse(body, answer.error);
    if (answer.error != AnswerError::None) return answer;
    answer.stations.reserve(doc.size());
    for (const json& entry : doc) {
        if (!entry.is_object() || CheckedBroken(entry)) {
            ++answer.skipped;
            continue;
        }
        DirectoryStation s;
        s.name = OneLine(TextOf(entry, "name"));
        CutTo(s.name, kMaxNameBytes);
        s.url = OneLine(TextOf(entry, "url_resolved"));
        if (s.url.empty()) s.url = OneLine(TextOf(entry, "url"));
        if (s.name.empty() || s.url.empty() || s.url.size() > kMaxUrlBytes) {
            ++answer.skipped;
            continue;
        }
        s.uuid = OneLine(TextOf(entry, "stationuuid"));
        CutTo(s.uuid, 64);
        s.country = OneLine(TextOf(entry, "country"));
        CutTo(s.country, kMaxNameBytes);
        s.codec = OneLine(TextOf(entry, "codec"));
        CutTo(s.codec, 32);
        s.bitrate = std::min<int64_t>(CountOf(entry, "bitrate"), 100000);
        s.clickCount = CountOf(entry, "clickcount");
        answer.stations.push_back(std::move(s));
    }
    return answer;
}

CountriesAnswer ParseCountries(std::string_view body) {
    CountriesAnswer answer;
    const json doc = Parse(body, answer.error);
    if (answer.error != AnswerError::None) return answer;
    for (const json& entry : doc) {
        if (!entry.is_object()) continue;
        std::string name = OneLine(TextOf(entry, "name"));
        CutTo(name, kMaxNameBytes);
        if (!name.empty()) answer.names.push_back(std::move(name));
    }
    std::sort(answer.names.begin(), answer.names.end());
    answer.names.erase(std::unique(answer.names.begin(), answer.names.end()), answer.names.end());
    return answer;
}

}  // namespace zarvio::directory

#include "directory/station_answers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

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

// A value of one of the fields the program uses, as the answer gave it.
struct Value {
    enum class Kind { Missing, Null, Bool, Signed, Unsigned, Float, Text, Other } kind = Kind::Missing;
    bool flag = false;
    int64_t signedValue = 0;
    uint64_t unsignedValue = 0;
    double floatValue = 0;
    std::string text;
};

enum Field { kUuid, kName, kUrl, kResolved, kCountry, kCodec, kBitrate, kClicks, kCheckOk, kFieldCount, kIgnored };

Field FieldOf(std::string_view key) {
    static constexpr std::string_view kKeys[kFieldCount] = {"stationuuid", "name",  "url",     "url_resolved",
                                                            "country",     "codec", "bitrate", "clickcount",
                                                            "lastcheckok"};
    for (int i = 0; i < kFieldCount; ++i)
        if (kKeys[i] == key) return static_cast<Field>(i);
    return kIgnored;
}

// One entry of the top-level array: its fields, or no object at all.
struct Entry {
    bool object = false;
    Value fields[kFieldCount];
};

// Reads the answer event by event and keeps only the fields the program uses: a large answer
// costs no tree of all the values it holds. Every entry of the top-level array lands in entries.
class EntryReader final : public json::json_sax_t {
public:
    std::vector<Entry> entries;
    AnswerError error = AnswerError::None;

    bool null() override { return Primitive([](Value& v) { v.kind = Value::Kind::Null; }); }
    bool boolean(bool b) override {
        return Primitive([b](Value& v) {
            v.kind = Value::Kind::Bool;
            v.flag = b;
        });
    }
    bool number_integer(number_integer_t n) override {
        return Primitive([n](Value& v) {
            v.kind = Value::Kind::Signed;
            v.signedValue = n;
        });
    }
    bool number_unsigned(number_unsigned_t n) override {
        return Primitive([n](Value& v) {
            v.kind = Value::Kind::Unsigned;
            v.unsignedValue = n;
        });
    }
    bool number_float(number_float_t n, const string_t&) override {
        return Primitive([n](Value& v) {
            v.kind = Value::Kind::Float;
            v.floatValue = n;
        });
    }
    bool string(string_t& text) override {
        return Primitive([&text](Value& v) {
            v.kind = Value::Kind::Text;
            v.text.assign(text);  // a copy: the reader keeps its buffer, and its capacity, for the next value
        });
    }
    bool binary(binary_t&) override { return Primitive([](Value& v) { v.kind = Value::Kind::Other; }); }
    bool start_object(std::size_t) override { return Open(true); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }
    bool key(string_t& name) override {
        if (depth_ == 2) field_ = FieldOf(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        if (error == AnswerError::None) error = AnswerError::Malformed;
        return false;
    }

private:
    // A plain value: a field's value, or a whole entry that is no object.
    template <typename Set>
    bool Primitive(Set&& set) {
        if (depth_ == 0) return Refuse(AnswerError::Malformed);  // the answer is no array
        if (depth_ == 1) {
            entries.emplace_back();
        } else if (depth_ == 2 && field_ != kIgnored) {
            set(entry_.fields[field_]);
            field_ = kIgnored;
        }
        return true;
    }
    bool Open(bool object) {
        if (depth_ == 0 && object) return Refuse(AnswerError::Malformed);
        if (++depth_ > kMaxDepth) return Refuse(AnswerError::TooLarge);
        if (depth_ == 2) {
            entry_ = Entry{};
            entry_.object = object;
            field_ = kIgnored;
        } else if (depth_ == 3 && field_ != kIgnored) {
            entry_.fields[field_].kind = Value::Kind::Other;  // a container where a plain value belongs
            field_ = kIgnored;
        }
        return true;
    }
    bool Close() {
        if (depth_ == 2) entries.push_back(std::move(entry_));
        --depth_;
        return true;
    }
    bool Refuse(AnswerError why) {
        error = why;
        return false;
    }

    int depth_ = 0;  // 1 inside the top-level array, 2 inside one of its entries
    Field field_ = kIgnored;
    Entry entry_;
};

AnswerError ReadOnce(std::string_view text, std::vector<Entry>& entries) {
    EntryReader reader;
    try {
        if (json::sax_parse(text.begin(), text.end(), &reader)) {
            entries = std::move(reader.entries);
            return AnswerError::None;
        }
    } catch (const std::bad_alloc&) {
        return AnswerError::TooLarge;
    } catch (const json::exception&) {
        return AnswerError::Malformed;
    }
    return reader.error == AnswerError::None ? AnswerError::Malformed : reader.error;
}

// The entries of the answer. Broken UTF-8 is repaired only when the first reading fails, so a
// sound answer is read in one pass over its bytes.
AnswerError ReadEntries(std::string_view body, std::vector<Entry>& entries) {
    if (body.size() > kMaxAnswerBytes) return AnswerError::TooLarge;
    const AnswerError first = ReadOnce(body, entries);
    if (first != AnswerError::Malformed) return first;
    const std::string repaired = RepairUtf8(body);
    if (repaired == body) return first;
    return ReadOnce(repaired, entries);
}

std::string TextOf(Entry& e, Field f) {
    Value& v = e.fields[f];
    return v.kind == Value::Kind::Text ? std::move(v.text) : std::string();
}

// A count as a number, or as the decimal text older servers sent; anything else is 0.
int64_t CountOf(const Entry& e, Field f) {
    const Value& v = e.fields[f];
    int64_t n = 0;
    switch (v.kind) {
    case Value::Kind::Unsigned: n = static_cast<int64_t>(std::min<uint64_t>(v.unsignedValue, kMaxCount)); break;
    case Value::Kind::Signed: n = v.signedValue; break;
    case Value::Kind::Float:
        n = std::isfinite(v.floatValue)
                ? static_cast<int64_t>(std::clamp(v.floatValue, 0.0, static_cast<double>(kMaxCount)))
                : 0;
        break;
    case Value::Kind::Text:
        if (std::from_chars(v.text.data(), v.text.data() + v.text.size(), n).ec != std::errc()) n = 0;
        break;
    default: break;
    }
    return std::clamp<int64_t>(n, 0, kMaxCount);
}

// Whether the directory says its last check of the station failed (0, false or "0").
bool CheckedBroken(const Entry& e) {
    const Value& v = e.fields[kCheckOk];
    switch (v.kind) {
    case Value::Kind::Bool: return !v.flag;
    case Value::Kind::Signed: return v.signedValue == 0;
    case Value::Kind::Unsigned: return v.unsignedValue == 0;
    case Value::Kind::Float: return v.floatValue == 0;
    case Value::Kind::Text: return v.text == "0";
    default: return false;
    }
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
    std::vector<Entry> entries;
    answer.error = ReadEntries(body, entries);
    if (answer.error != AnswerError::None) return answer;
    answer.stations.reserve(entries.size());
    for (Entry& e : entries) {
        if (!e.object || CheckedBroken(e)) {
            ++answer.skipped;
            continue;
        }
        DirectoryStation s;
        s.name = OneLine(TextOf(e, kName));
        CutTo(s.name, kMaxNameBytes);
        s.url = OneLine(TextOf(e, kResolved));
        if (s.url.empty()) s.url = OneLine(TextOf(e, kUrl));
        if (s.name.empty() || s.url.empty() || s.url.size() > kMaxUrlBytes) {
            ++answer.skipped;
            continue;
        }
        s.uuid = OneLine(TextOf(e, kUuid));
        CutTo(s.uuid, 64);
        s.country = OneLine(TextOf(e, kCountry));
        CutTo(s.country, kMaxNameBytes);
        s.codec = OneLine(TextOf(e, kCodec));
        CutTo(s.codec, 32);
        s.bitrate = std::min<int64_t>(CountOf(e, kBitrate), 100000);
        s.clickCount = CountOf(e, kClicks);
        answer.stations.push_back(std::move(s));
    }
    return answer;
}

CountriesAnswer ParseCountries(std::string_view body) {
    CountriesAnswer answer;
    std::vector<Entry> entries;
    answer.error = ReadEntries(body, entries);
    if (answer.error != AnswerError::None) return answer;
    for (Entry& e : entries) {
        if (!e.object) continue;
        std::string name = OneLine(TextOf(e, kName));
        CutTo(name, kMaxNameBytes);
        if (!name.empty()) answer.names.push_back(std::move(name));
    }
    std::sort(answer.names.begin(), answer.names.end());
    answer.names.erase(std::unique(answer.names.begin(), answer.names.end()), answer.names.end());
    return answer;
}

}  // namespace zarvio::directory

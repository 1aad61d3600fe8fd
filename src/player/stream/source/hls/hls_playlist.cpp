#include "player/stream/source/hls/hls_playlist.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "player/stream/base/playlist_text.h"
#include "player/stream/base/url_resolve.h"

namespace zarvio::stream {
namespace {

constexpr double kMaxDurationSeconds = 86400;

bool IsAttributeNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

const HlsAttribute* Find(const std::vector<HlsAttribute>& list, std::string_view name) {
    for (const HlsAttribute& a : list) {
        if (a.name == name) return &a;
    }
    return nullptr;
}

std::string_view Value(const std::vector<HlsAttribute>& list, std::string_view name) {
    const HlsAttribute* a = Find(list, name);
    return a ? a->value : std::string_view();
}

std::optional<uint64_t> ParseDecimal(std::string_view s) {
    uint64_t v = 0;
    if (s.empty() || s[0] < '0' || s[0] > '9') return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// A duration in seconds: a decimal integer or floating-point number, 0 to a day.
std::optional<double> ParseSeconds(std::string_view s) {
    double v = 0;
    if (s.empty() || ((s[0] < '0' || s[0] > '9') && s[0] != '.')) return std::nullopt;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    if (!std::isfinite(v) || v < 0 || v > kMaxDurationSeconds) return std::nullopt;
    return v;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x" and up to 32 hex digits: a 128-bit number, big-endian.
std::optional<std::array<uint8_t, 16>> ParseIv(std::string_view s) {
    if (!(s.starts_with("0x") || s.starts_with("0X"))) return std::nullopt;
    s.remove_prefix(2);
    if (s.empty() || s.size() > 32) return std::nullopt;
    std::array<uint8_t, 16> iv{};
    size_t nibble = 0;  // counted from the least significant end
    for (size_t i = s.size(); i-- > 0; ++nibble) {
        const int d = HexDigit(s[i]);
        if (d < 0) return std::nullopt;
        iv[15 - nibble / 2] |= static_cast<uint8_t>(nibble % 2 ? d << 4 : d);
    }
    return iv;
}

struct RangeValue {
    uint64_t length = 0;
    std::optional<uint64_t> offset;
};

// "n" or "n@o".
std::optional<RangeValue> ParseRange(std::string_view s) {
    RangeValue value;
    const size_t at = s.find('@');
    const auto length = ParseDecimal(s.substr(0, at));
    if (!length) return std::nullopt;
    value.length = *length;
    if (at != std::string_view::npos) {
        value.offset = ParseDecimal(s.substr(at + 1));
        if (!value.offset) return std::nullopt;
        if (*value.offset > std::numeric_limits<uint64_t>::max() - value.length) return std::nullopt;
    }
    return value;
}

class Reader {
public:
    explicit Reader(std::string_view baseUrl) : base_(baseUrl) {}

    // Takes one line; false with error_ set when the playlist is malformed.
    bool Line(std::string_view line) {
        if (line.empty()) return true;
        if (line[0] != '#') return Address(line);
        if (!line.starts_with("#EXT")) return true;  // a comment
        const size_t colon = line.find(':');
        const std::string_view tag = line.substr(0, colon);
        const std::string_view value = colon == std::string_view::npos ? std::string_view() : line.substr(colon + 1);
        if (tag == "#EXTINF") return Extinf(value);
        if (tag == "#EXT-X-TARGETDURATION") return TargetDuration(value);
        if (tag == "#EXT-X-MEDIA-SEQUENCE") return Number(value, media_.mediaSequence, "EXT-X-MEDIA-SEQUENCE");
        if (tag == "#EXT-X-DISCONTINUITY-SEQUENCE") {
            return Number(value, media_.discontinuitySequence, "EXT-X-DISCONTINUITY-SEQUENCE");
        }
        if (tag == "#EXT-X-DISCONTINUITY") return Discontinuity();
        if (tag == "#EXT-X-ENDLIST") {
            media_.endList = true;
            return true;
        }
        if (tag == "#EXT-X-BYTERANGE") return ByteRangeTag(value);
        if (tag == "#EXT-X-KEY") return Key(value);
        if (tag == "#EXT-X-MAP") return Map(value);
        if (tag == "#EXT-X-STREAM-INF") return StreamInf(value);
        if (tag == "#EXT-X-MEDIA") return Media(value);
        return true;  // a tag this program has no use for
    }

    std::optional<HlsPlaylist> Finish() {
        if (pendingVariant_ || pendingDuration_) return Fail("the playlist ends before an address");
        if (sawStreamInf_ && !media_.segments.empty()) return Fail("variants and segments in one playlist");
        HlsPlaylist out;
        if (sawStreamInf_) {
            if (master_.variants.empty()) return Fail("no variant with a BANDWIDTH");
            out.isMaster = true;
            out.master = std::move(master_);
            return out;
        }
        if (!sawTargetDuration_) return Fail("a media playlist without EXT-X-TARGETDURATION");
        out.media = std::move(media_);
        return out;
    }

    std::nullopt_t Fail(std::string why) {
        error_ = std::move(why);
        return std::nullopt;
    }
    const std::string& error() const { return error_; }

private:
    bool Error(std::string why) {
        error_ = std::move(why);
        return false;
    }

    std::string Resolve(std::string_view uri) const { return ResolveUrl(base_, uri); }

    // The sequence numbers are the first segment's: once segments came, they cannot change.
    bool Number(std::string_view value, uint64_t& out, const char* tag) {
        if (!media_.segments.empty() || pendingDuration_) return Error(std::string(tag) + " after a segment");
        const auto v = ParseDecimal(value);
        if (!v) return Error(std::string("unreadable ") + tag);
        out = *v;
        return true;
    }

    bool TargetDuration(std::string_view value) {
        const auto v = ParseSeconds(value);
        if (!v) return Error("unreadable EXT-X-TARGETDURATION");
        media_.targetDuration = *v;
        sawTargetDuration_ = true;
        return true;
    }

    bool Extinf(std::string_view value) {
        const size_t comma = value.find(',');
        const auto duration = ParseSeconds(TrimAscii(value.substr(0, comma)));
        if (!duration) return Error("unreadable EXTINF duration");
        pendingDuration_ = *duration;
        pendingTitle_ = comma == std::string_view::npos ? std::string_view() : TrimAscii(value.substr(comma + 1));
        return true;
    }

    bool Discontinuity() {
        pendingDiscontinuity_ = true;
        if (discontinuities_ == std::numeric_limits<uint64_t>::max()) return Error("too many discontinuities");
        ++discontinuities_;
        return true;
    }

    bool ByteRangeTag(std::string_view value) {
        pendingRange_ = ParseRange(value);
        if (!pendingRange_) return Error("unreadable EXT-X-BYTERANGE");
        return true;
    }

    bool Key(std::string_view value) {
        const auto attrs = ParseHlsAttributes(value);
        if (!attrs) return Error("unreadable EXT-X-KEY");
        const std::string_view method = Value(*attrs, "METHOD");
        HlsKey key;
        if (method == "NONE") key.method = KeyMethod::None;
        else if (method == "AES-128") key.method = KeyMethod::Aes128;
        else if (method == "SAMPLE-AES") key.method = KeyMethod::SampleAes;
        else if (!method.empty()) key.method = KeyMethod::Other;
        else return Error("EXT-X-KEY without METHOD");
        if (const HlsAttribute* format = Find(*attrs, "KEYFORMAT")) key.keyFormat = std::string(format->value);
        if (key.method != KeyMethod::None) {
            const HlsAttribute* uri = Find(*attrs, "URI");
            if (!uri || uri->value.empty()) return Error("EXT-X-KEY without URI");
            key.uri = Resolve(uri->value);
            if (const HlsAttribute* iv = Find(*attrs, "IV")) {
                key.iv = ParseIv(iv->value);
                if (!key.iv) return Error("unreadable EXT-X-KEY IV");
            }
        }
        // Several keys may apply to the same segments, one per KEYFORMAT: the one this program
        // can use (identity, or none at all) wins over the others, whatever their order.
        const bool usable = key.keyFormat == "identity";
        if (keyTagSinceSegment_ && currentKeyUsable_ && !usable) return true;
        keyTagSinceSegment_ = true;
        currentKeyUsable_ = usable;
        currentKey_.reset();
        if (key.method != KeyMethod::None) currentKey_ = std::move(key);
        return true;
    }

    bool Map(std::string_view value) {
        const auto attrs = ParseHlsAttributes(value);
        if (!attrs) return Error("unreadable EXT-X-MAP");
        const HlsAttribute* uri = Find(*attrs, "URI");
        if (!uri || uri->value.empty()) return Error("EXT-X-MAP without URI");
        HlsMap map;
        map.uri = Resolve(uri->value);
        if (const HlsAttribute* range = Find(*attrs, "BYTERANGE")) {
            const auto parsed = ParseRange(range->value);
            if (!parsed) return Error("unreadable EXT-X-MAP BYTERANGE");
            map.range = ByteRange{parsed->offset.value_or(0), parsed->length};
        }
        if (media_.maps.empty() || !(media_.maps.back() == map)) {
            if (media_.maps.size() >= kMaxPlaylistSegments) return Error("too many maps");
            media_.maps.push_back(std::move(map));
        }
        currentMap_ = static_cast<int>(media_.maps.size() - 1);
        return true;
    }

    bool StreamInf(std::string_view value) {
        sawStreamInf_ = true;
        const auto attrs = ParseHlsAttributes(value);
        if (!attrs) return Error("unreadable EXT-X-STREAM-INF");
        HlsVariant v;
        const auto bandwidth = ParseDecimal(Value(*attrs, "BANDWIDTH"));
        v.bandwidth = bandwidth.value_or(0);
        v.codecs = std::string(Value(*attrs, "CODECS"));
        v.audioGroup = std::string(Value(*attrs, "AUDIO"));
        pendingVariant_ = std::move(v);
        pendingVariantUsable_ = bandwidth.has_value();  // the address after it is read either way
        return true;
    }

    bool Media(std::string_view value) {
        const auto attrs = ParseHlsAttributes(value);
        if (!attrs) return Error("unreadable EXT-X-MEDIA");
        HlsRendition r;
        r.type = std::string(Value(*attrs, "TYPE"));
        r.groupId = std::string(Value(*attrs, "GROUP-ID"));
        r.name = std::string(Value(*attrs, "NAME"));
        if (r.type.empty() || r.groupId.empty()) return true;  // belongs to no group: useless
        if (const HlsAttribute* uri = Find(*attrs, "URI"); uri && !uri->value.empty()) r.uri = Resolve(uri->value);
        r.isDefault = Value(*attrs, "DEFAULT") == "YES";
        if (master_.renditions.size() >= kMaxPlaylistVariants) return Error("too many renditions");
        master_.renditions.push_back(std::move(r));
        return true;
    }

    bool Address(std::string_view line) {
        if (pendingVariant_) {
            if (pendingVariantUsable_) {
                if (master_.variants.size() >= kMaxPlaylistVariants) return Error("too many variants");
                pendingVariant_->uri = Resolve(line);
                master_.variants.push_back(std::move(*pendingVariant_));
            }
            pendingVariant_.reset();
            return true;
        }
        if (!pendingDuration_) return Error("an address without EXTINF");
        if (media_.segments.size() >= kMaxPlaylistSegments) return Error("too many segments");
        const uint64_t index = media_.segments.size();
        if (media_.mediaSequence > std::numeric_limits<uint64_t>::max() - index ||
            media_.discontinuitySequence > std::numeric_limits<uint64_t>::max() - discontinuities_) {
            return Error("sequence numbers beyond their range");
        }
        HlsSegment s;
        s.uri = Resolve(line);
        s.duration = *pendingDuration_;
        s.title = std::string(pendingTitle_);
        s.sequence = media_.mediaSequence + index;
        s.discontinuitySequence = media_.discontinuitySequence + discontinuities_;
        s.discontinuity = pendingDiscontinuity_;
        if (currentKey_) {
            // Stored when a segment uses it, so keys that lost to another format take no room.
            if (media_.keys.empty() || !(media_.keys.back() == *currentKey_)) media_.keys.push_back(*currentKey_);
            s.key = static_cast<int>(media_.keys.size() - 1);
        }
        s.map = currentMap_;
        if (pendingRange_) {
            uint64_t offset = 0;
            if (pendingRange_->offset) {
                offset = *pendingRange_->offset;
            } else {
                // Without an offset the range continues the previous segment's range of the
                // same resource.
                const HlsSegment* prev = media_.segments.empty() ? nullptr : &media_.segments.back();
                if (!prev || !prev->range || prev->uri != s.uri) {
                    return Error("EXT-X-BYTERANGE without offset that follows no range of its resource");
                }
                offset = prev->range->offset + prev->range->length;
                if (offset > std::numeric_limits<uint64_t>::max() - pendingRange_->length) {
                    return Error("EXT-X-BYTERANGE beyond its range");
                }
            }
            s.range = ByteRange{offset, pendingRange_->length};
        }
        media_.segments.push_back(std::move(s));
        pendingDuration_.reset();
        pendingTitle_ = {};
        pendingRange_.reset();
        pendingDiscontinuity_ = false;
        keyTagSinceSegment_ = false;
        return true;
    }

    std::string_view base_;
    std::string error_;
    MasterPlaylist master_;
    MediaPlaylist media_;
    bool sawStreamInf_ = false;
    bool sawTargetDuration_ = false;
    std::optional<HlsVariant> pendingVariant_;
    bool pendingVariantUsable_ = false;
    std::optional<double> pendingDuration_;
    std::string_view pendingTitle_;
    std::optional<RangeValue> pendingRange_;
    bool pendingDiscontinuity_ = false;
    uint64_t discontinuities_ = 0;
    std::optional<HlsKey> currentKey_;  // the key of the segments to come; none when clear
    int currentMap_ = -1;
    bool keyTagSinceSegment_ = false;
    bool currentKeyUsable_ = true;
};

}  // namespace

std::optional<std::vector<HlsAttribute>> ParseHlsAttributes(std::string_view list) {
    std::vector<HlsAttribute> out;
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < list.size() && IsAsciiSpace(list[i])) ++i;
    };
    skipBlanks();
    while (i < list.size()) {
        const size_t nameStart = i;
        while (i < list.size() && IsAttributeNameChar(list[i])) ++i;
        if (i == nameStart || i >= list.size() || list[i] != '=') return std::nullopt;
        HlsAttribute a;
        a.name = list.substr(nameStart, i - nameStart);
        ++i;  // '='
        if (i < list.size() && list[i] == '"') {
            const size_t close = list.find('"', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            a.value = list.substr(i + 1, close - i - 1);
            a.quoted = true;
            i = close + 1;
            skipBlanks();
            if (i < list.size() && list[i] != ',') return std::nullopt;
        } else {
            const size_t comma = std::min(list.find(',', i), list.size());
            a.value = TrimAscii(list.substr(i, comma - i));
            if (a.value.find('"') != std::string_view::npos) return std::nullopt;
            i = comma;
        }
        if (!Find(out, a.name)) out.push_back(a);  // a repeated name: the first counts
        if (i < list.size()) ++i;  // ','
        skipBlanks();
    }
    return out;
}

std::optional<HlsPlaylist> ParseHlsPlaylist(std::string_view text, std::string_view baseUrl,
                                            std::string* whyNot) {
    Reader reader(baseUrl);
    auto failed = [&](std::string why) -> std::optional<HlsPlaylist> {
        if (whyNot) *whyNot = std::move(why);
        return std::nullopt;
    };
    if (text.size() > kMaxPlaylistBytes) return failed("the playlist is larger than 8 MiB");
    bool first = true;
    bool ok = true;
    ForEachPlaylistLine(text, [&](std::string_view line) {
        if (first) {
            if (line.empty()) return true;  // blank lines before the header are forgiven
            first = false;
            ok = line.starts_with("#EXTM3U") && (line.size() == 7 || IsAsciiSpace(line[7]));
            if (!ok) reader.Fail("no #EXTM3U header");
            return ok;
        }
        ok = reader.Line(line);
        return ok;
    });
    if (first) return failed("an empty playlist");
    std::optional<HlsPlaylist> out = ok ? reader.Finish() : std::nullopt;
    if (!out) return failed(reader.error());
    return out;
}

}  // namespace zarvio::stream

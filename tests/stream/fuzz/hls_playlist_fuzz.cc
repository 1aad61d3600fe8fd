// libFuzzer target for the HLS playlist reader, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/source/hls/hls_playlist.cpp player/stream/base/url_resolve.cpp
//
// For any input: a playlist that reads keeps within the limits and is consistent (consecutive
// sequence numbers, discontinuity numbers that grow exactly at the marked segments, key and map
// indices that point into their lists, durations that are numbers of at most a day, byte ranges
// that do not wrap); the same text with a byte order mark and CR LF line ends reads the same;
// and an attribute list that reads has only well-formed names and values without quotes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "player/stream/source/hls/hls_playlist.h"

namespace {

using namespace zarvio::stream;

void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckMedia(const MediaPlaylist& m) {
    Check(m.segments.size() <= kMaxPlaylistSegments);
    Check(std::isfinite(m.targetDuration) && m.targetDuration >= 0);
    for (const HlsKey& k : m.keys) Check(k.method != KeyMethod::None && !k.uri.empty());
    for (size_t i = 0; i < m.segments.size(); ++i) {
        const HlsSegment& s = m.segments[i];
        Check(s.sequence == m.mediaSequence + i);
        Check(std::isfinite(s.duration) && s.duration >= 0 && s.duration <= 86400);
        Check(s.key >= -1 && s.key < static_cast<int>(m.keys.size()));
        Check(s.map >= -1 && s.map < static_cast<int>(m.maps.size()));
        if (s.range) Check(s.range->offset + s.range->length >= s.range->offset);
        if (i == 0) {
            Check(s.discontinuitySequence >= m.discontinuitySequence);
        } else {
            const uint64_t before = m.segments[i - 1].discontinuitySequence;
            Check(s.discontinuity ? s.discontinuitySequence > before : s.discontinuitySequence == before);
            Check(s.map >= m.segments[i - 1].map);  // maps only ever follow each other
        }
    }
}

bool Same(const HlsPlaylist& a, const HlsPlaylist& b) {
    if (a.isMaster != b.isMaster) return false;
    if (a.isMaster) {
        if (a.master.variants.size() != b.master.variants.size()) return false;
        if (a.master.renditions.size() != b.master.renditions.size()) return false;
        for (size_t i = 0; i < a.master.variants.size(); ++i) {
            const HlsVariant& x = a.master.variants[i];
            const HlsVariant& y = b.master.variants[i];
            if (x.uri != y.uri || x.bandwidth != y.bandwidth || x.codecs != y.codecs || x.audioGroup != y.audioGroup) {
                return false;
            }
        }
        for (size_t i = 0; i < a.master.renditions.size(); ++i) {
            const HlsRendition& x = a.master.renditions[i];
            const HlsRendition& y = b.master.renditions[i];
            if (x.type != y.type || x.groupId != y.groupId || x.name != y.name || x.uri != y.uri ||
                x.isDefault != y.isDefault) {
                return false;
            }
        }
        return true;
    }
    const MediaPlaylist& x = a.media;
    const MediaPlaylist& y = b.media;
    if (x.targetDuration != y.targetDuration || x.mediaSequence != y.mediaSequence ||
        x.discontinuitySequence != y.discontinuitySequence || x.endList != y.endList ||
        x.keys != y.keys || x.maps != y.maps || x.segments.size() != y.segments.size()) {
        return false;
    }
    for (size_t i = 0; i < x.segments.size(); ++i) {
        const HlsSegment& s = x.segments[i];
        const HlsSegment& t = y.segments[i];
        if (s.uri != t.uri || s.duration != t.duration || s.title != t.title || s.sequence != t.sequence ||
            s.discontinuitySequence != t.discontinuitySequence || s.discontinuity != t.discontinuity ||
            s.range != t.range || s.key != t.key || s.map != t.map) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view base = "http://host.example/live/index.m3u8";

    const size_t lineEnd = text.find_first_of("\r\n");
    if (const auto attrs = ParseHlsAttributes(text.substr(0, lineEnd))) {
        for (const HlsAttribute& a : *attrs) {
            Check(!a.name.empty() && a.value.find('"') == std::string_view::npos);
            for (char c : a.name) Check(c == '-' || std::isalnum(static_cast<unsigned char>(c)));
        }
    }

    std::string why;
    const auto parsed = ParseHlsPlaylist(text, base, &why);
    Check(parsed.has_value() == why.empty());
    if (parsed) {
        if (parsed->isMaster) {
            Check(!parsed->master.variants.empty() && parsed->master.variants.size() <= kMaxPlaylistVariants);
            for (const HlsRendition& r : parsed->master.renditions) Check(!r.type.empty() && !r.groupId.empty());
        } else {
            CheckMedia(parsed->media);
        }
    }

    if (!text.starts_with("\xEF\xBB\xBF")) {
        std::string windows = "\xEF\xBB\xBF";
        for (char c : text) {
            if (c == '\n') windows += '\r';
            windows += c;
        }
        std::string why2;
        const auto again = ParseHlsPlaylist(windows, base, &why2);
        Check(again.has_value() == parsed.has_value());
        if (parsed && windows.size() <= kMaxPlaylistBytes) Check(Same(*parsed, *again));
    }
    return 0;
}

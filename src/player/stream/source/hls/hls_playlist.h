// HLS playlists (RFC 8216): a master playlist lists the variants of a stream and their audio
// renditions; a media playlist lists the segments of one of them. This reads both into plain
// values, every address resolved against the playlist's own final address. What to play and
// when to reload is the model's (hls_model.h).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarvio::stream {

// Inputs beyond these are refused instead of grown into: a live radio playlist is a few KiB.
inline constexpr size_t kMaxPlaylistBytes = 8u << 20;
inline constexpr size_t kMaxPlaylistSegments = 100000;
inline constexpr size_t kMaxPlaylistVariants = 10000;  // variants and renditions each

// One "NAME=value" of an attribute list. Quoted strings are given without their quotes.
struct HlsAttribute {
    std::string_view name;
    std::string_view value;
    bool quoted = false;
};

// Splits an attribute list (RFC 8216 section 4.2): comma-separated NAME=value pairs where a
// quoted string may hold commas and '='. Nullopt when the list is malformed (a name of other
// characters than A-Z, 0-9 and '-', a missing '=', an unclosed quote, text after a quote).
std::optional<std::vector<HlsAttribute>> ParseHlsAttributes(std::string_view list);

// A byte range of a resource: length bytes from offset.
struct ByteRange {
    uint64_t offset = 0;
    uint64_t length = 0;
    bool operator==(const ByteRange&) const = default;
};

enum class KeyMethod { None, Aes128, SampleAes, Other };

// An EXT-X-KEY: how the segments after it are encrypted.
struct HlsKey {
    KeyMethod method = KeyMethod::None;
    std::string uri;                          // resolved; empty with None
    std::optional<std::array<uint8_t, 16>> iv;  // when the tag gives one
    std::string keyFormat = "identity";       // the tag's KEYFORMAT, "identity" when absent
    bool operator==(const HlsKey&) const = default;
};

// An EXT-X-MAP: the initialisation section (an fMP4 "moov") that the segments after it need.
struct HlsMap {
    std::string uri;                 // resolved
    std::optional<ByteRange> range;  // the whole resource when absent
    bool operator==(const HlsMap&) const = default;
};

struct HlsSegment {
    std::string uri;                     // resolved
    double duration = 0;                 // seconds, from EXTINF
    std::string title;                   // the EXTINF text after the comma, may be empty
    uint64_t sequence = 0;               // media sequence number
    uint64_t discontinuitySequence = 0;  // EXT-X-DISCONTINUITY-SEQUENCE plus the tags so far
    bool discontinuity = false;          // an EXT-X-DISCONTINUITY came right before it
    std::optional<ByteRange> range;      // EXT-X-BYTERANGE, offsets made explicit
    int key = -1;                        // index into MediaPlaylist::keys, -1 when clear
    int map = -1;                        // index into MediaPlaylist::maps, -1 without one
};

struct MediaPlaylist {
    double targetDuration = 0;           // seconds
    uint64_t mediaSequence = 0;          // the first segment's sequence number
    uint64_t discontinuitySequence = 0;
    bool endList = false;                // EXT-X-ENDLIST: no more segments will come
    std::vector<HlsSegment> segments;
    std::vector<HlsKey> keys;            // METHOD=NONE is never stored: a segment's key is -1
    std::vector<HlsMap> maps;
};

// An EXT-X-STREAM-INF and the address after it.
struct HlsVariant {
    std::string uri;         // resolved
    uint64_t bandwidth = 0;  // bits per second
    std::string codecs;      // as given ("mp4a.40.2,avc1.4d401f"), empty when absent
    std::string audioGroup;  // the AUDIO attribute, empty when absent
};

// An EXT-X-MEDIA.
struct HlsRendition {
    std::string type;      // "AUDIO", "VIDEO", "SUBTITLES", "CLOSED-CAPTIONS"
    std::string groupId;
    std::string name;
    std::string uri;       // resolved; empty when the rendition is carried in the variant
    bool isDefault = false;
};

struct MasterPlaylist {
    std::vector<HlsVariant> variants;      // in playlist order
    std::vector<HlsRendition> renditions;  // in playlist order
};

struct HlsPlaylist {
    bool isMaster = false;
    MasterPlaylist master;  // when isMaster
    MediaPlaylist media;    // otherwise
};

// Reads a playlist fetched from baseUrl (its final address). The first line must be #EXTM3U;
// a BOM, CR LF, blank lines, comments and unknown tags are taken in stride. Nullopt, with the
// reason in *whyNot when given, when the text is no HLS playlist or is malformed: beyond the
// limits above, a media playlist without EXT-X-TARGETDURATION, a segment without EXTINF, a
// duration that is no number, a byte range without offset that does not follow a range of the
// same resource, an attribute list that cannot be read in a tag that matters, or segments and
// variants in one playlist.
std::optional<HlsPlaylist> ParseHlsPlaylist(std::string_view text, std::string_view baseUrl,
                                            std::string* whyNot = nullptr);

}  // namespace zarvio::stream

// What an address holds, so the player knows what to do with it: play the audio itself, read
// an HLS playlist, walk a station list, or hand the address to the Windows Media Player
// component. Servers often label streams wrongly ("text/plain", "application/octet-stream",
// an .m3u that is HLS), so the first bytes decide when they are telling; then the Content-Type;
// then the extension of the address.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zarvio::stream {

enum class ContentKind {
    Unknown,       // nothing tells: the engine may still try the audio framer
    HlsPlaylist,   // an M3U with #EXT-X-TARGETDURATION or #EXT-X-STREAM-INF
    StationList,   // .pls, or an M3U without those tags
    WindowsMedia,  // ASX and WPL lists, ASF (WMA/WMV) content: the Windows Media Player component's
    MpegAudio,     // MP1/MP2/MP3 frames (possibly after an ID3 tag)
    Adts,          // AAC in ADTS frames
    MpegTs,        // an MPEG transport stream
};

// How many first bytes to read before asking. A playlist kind from the first bytes is only
// provisional: read the body to its end (playlists are small) and ask again with all of it,
// since the tags that make an M3U an HLS playlist may come anywhere in it.
inline constexpr size_t kSniffBytes = 4096;

// bytes: the first bytes of the body (or the whole of a playlist), possibly none;
// contentType: the answer's Content-Type, any case, parameters allowed ("Audio/MPEG; x=y");
// url: the final address, whose path's extension counts last.
ContentKind SniffContent(std::span<const uint8_t> bytes, std::string_view contentType, std::string_view url);

inline bool IsPlaylist(ContentKind kind) {
    return kind == ContentKind::HlsPlaylist || kind == ContentKind::StationList;
}

}  // namespace zarvio::stream

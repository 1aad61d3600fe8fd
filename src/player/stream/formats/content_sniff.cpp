#include "player/stream/formats/content_sniff.h"

#include <algorithm>
#include <optional>
#include <string>

#include "player/stream/base/playlist_text.h"
#include "player/stream/base/url_resolve.h"
#include "player/stream/formats/audio_framer.h"
#include "player/stream/formats/id3.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"

namespace zarvio::stream {
namespace {

constexpr uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

// A line that is the tag, as the playlist reader sees tags: "#EXT-X-TARGETDURATION:6", but not
// "#EXT-X-TARGETDURATIONS" or a title that quotes the tag.
bool HasTagLine(std::string_view text, std::string_view tag) {
    bool found = false;
    ForEachPlaylistLine(text, [&](std::string_view line) {
        found = line.starts_with(tag) && (line.size() == tag.size() || line[tag.size()] == ':');
        return !found;
    });
    return found;
}

ContentKind M3uKind(std::string_view text) {
    return HasTagLine(text, "#EXT-X-TARGETDURATION") || HasTagLine(text, "#EXT-X-STREAM-INF")
               ? ContentKind::HlsPlaylist
               : ContentKind::StationList;
}

// The bytes after an ID3v2 tag at the start (none when the tag runs past them), or nullopt when
// the bytes start with no tag.
std::optional<std::span<const uint8_t>> AfterId3(std::span<const uint8_t> p) {
    const size_t size = Id3TagSize(p);
    if (size == 0) return std::nullopt;
    return size <= p.size() ? p.subspan(size) : std::span<const uint8_t>();
}

std::optional<ContentKind> FromText(std::string_view text) {
    text = WithoutBom(text);
    while (!text.empty() && IsAsciiSpace(text[0])) text.remove_prefix(1);
    if (text.starts_with("#EXTM3U") || text.starts_with("#EXTINF:") || text.starts_with("#EXT-X-")) {
        return M3uKind(text);
    }
    if (StartsWithNoCase(text, "[playlist]")) return ContentKind::StationList;
    if (text.starts_with("<")) {
        const std::string head = LowerAscii(text.substr(0, 512));
        if (head.find("<asx") != std::string::npos || head.find("<?wpl") != std::string::npos ||
            head.find("<smil") != std::string::npos) {
            return ContentKind::WindowsMedia;
        }
        return std::nullopt;
    }
    // A bare list of addresses, one a line, with nothing but text in it.
    if (StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://")) {
        for (char c : text.substr(0, kSniffBytes)) {
            const auto u = static_cast<unsigned char>(c);
            if (u < 0x20 && c != '\r' && c != '\n' && c != '\t') return std::nullopt;
        }
        return ContentKind::StationList;
    }
    return std::nullopt;
}

std::optional<ContentKind> FromBytes(std::span<const uint8_t> p) {
    if (p.size() >= sizeof kAsfHeaderGuid && std::equal(kAsfHeaderGuid, kAsfHeaderGuid + 16, p.begin())) {
        return ContentKind::WindowsMedia;
    }
    if (ProbeTransportStream(p) == Probe::Yes) return ContentKind::MpegTs;
    std::span<const uint8_t> audio = p;
    if (const auto rest = AfterId3(p)) audio = *rest;
    if (const FrameProbe frame = ProbeAudioFrame(audio); frame.answer == Probe::Yes) {
        return frame.codec == AudioCodec::Aac ? ContentKind::Adts : ContentKind::MpegAudio;
    }
    return FromText(std::string_view(reinterpret_cast<const char*>(p.data()), p.size()));
}

std::optional<ContentKind> FromContentType(std::string_view contentType, std::string_view text) {
    std::string type = LowerAscii(TrimAscii(contentType.substr(0, contentType.find(';'))));
    if (type == "application/vnd.apple.mpegurl" || type == "application/x-mpegurl" ||
        type == "audio/mpegurl" || type == "audio/x-mpegurl" || type == "application/mpegurl") {
        return M3uKind(text);
    }
    if (type == "audio/x-scpls" || type == "audio/scpls" || type == "application/pls+xml") {
        return ContentKind::StationList;
    }
    if (type == "video/x-ms-asf" || type == "video/x-ms-asx" || type == "audio/x-ms-wax" ||
        type == "video/x-ms-wvx" || type == "audio/x-ms-wma" || type == "video/x-ms-wmv" ||
        type == "application/vnd.ms-asf" || type == "application/vnd.ms-wpl") {
        return ContentKind::WindowsMedia;
    }
    if (type == "audio/mpeg" || type == "audio/mp3" || type == "audio/mpeg3" || type == "audio/x-mpeg" ||
        type == "audio/x-mp3" || type == "audio/mpa") {
        return ContentKind::MpegAudio;
    }
    if (type == "audio/aac" || type == "audio/aacp" || type == "audio/x-aac" || type == "audio/x-aacp" ||
        type == "audio/adts") {
        return ContentKind::Adts;
    }
    if (type == "video/mp2t" || type == "video/mpeg2-ts") return ContentKind::MpegTs;
    return std::nullopt;
}

std::optional<ContentKind> FromExtension(std::string_view url, std::string_view text) {
    const std::string_view path = SplitUrl(url).path;
    const std::string_view name = path.substr(path.rfind('/') + 1);  // npos + 1 is 0
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string ext = LowerAscii(name.substr(dot + 1));
    if (ext == "m3u8" || ext == "m3u") return M3uKind(text);
    if (ext == "pls") return ContentKind::StationList;
    if (ext == "asx" || ext == "wax" || ext == "wvx" || ext == "wpl" || ext == "wma" || ext == "wmv" ||
        ext == "asf") {
        return ContentKind::WindowsMedia;
    }
    if (ext == "mp3" || ext == "mp2" || ext == "mpga" || ext == "mpa") return ContentKind::MpegAudio;
    if (ext == "aac" || ext == "adts") return ContentKind::Adts;
    if (ext == "ts") return ContentKind::MpegTs;
    return std::nullopt;
}

}  // namespace

ContentKind SniffContent(std::span<const uint8_t> bytes, std::string_view contentType, std::string_view url) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (const auto kind = FromBytes(bytes)) return *kind;
    if (const auto kind = FromContentType(contentType, text)) return *kind;
    if (const auto kind = FromExtension(url, text)) return *kind;
    // An ID3 tag longer than the bytes at hand: almost always MP3 behind it.
    if (AfterId3(bytes)) return ContentKind::MpegAudio;
    return ContentKind::Unknown;
}

}  // namespace zarvio::stream

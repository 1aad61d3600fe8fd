// libFuzzer target for content sniffing, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/content_sniff.cpp player/stream/formats/audio_framer.cpp player/stream/formats/id3.cpp player/stream/formats/mpeg_ts_demuxer.cpp player/stream/source/hls/hls_playlist.cpp player/stream/base/url_resolve.cpp
//
// For any input: when the bytes alone decide, no Content-Type or extension changes the verdict
// (an ID3 tag longer than the input excepted, where the label is asked first); and any text the
// HLS playlist reader accepts is sniffed as an HLS playlist, whatever it is labelled.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "player/stream/formats/content_sniff.h"
#include "player/stream/source/hls/hls_playlist.h"

using namespace zarvio::stream;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ContentKind alone = SniffContent(bytes, "", "http://h/stream");
    if (alone != ContentKind::Unknown && !text.starts_with("ID3")) {
        for (auto [type, url] : {std::pair{"audio/mpeg", "http://h/a.pls"}, std::pair{"audio/x-scpls", "http://h/a.ts"},
                                 std::pair{"video/x-ms-asf", "http://h/a.m3u8"}}) {
            if (SniffContent(bytes, type, url) != alone) std::abort();
        }
    }
    if (ParseHlsPlaylist(text, "http://h/index.m3u8")) {
        if (alone != ContentKind::HlsPlaylist) std::abort();
        if (SniffContent(bytes, "audio/mpeg", "http://h/a.mp3") != ContentKind::HlsPlaylist) std::abort();
    }
    return 0;
}

// A stand-in for the framer while it is being written: walks a clean file's MPEG audio or ADTS
// frames from the first header on.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "player/stream/audio_format.h"

namespace zarvio::test {

inline std::optional<stream::MpegAudioHeader> WalkMpegHeader(std::span<const uint8_t> p) {
    if (p.size() < 4 || p[0] != 0xff || (p[1] & 0xe0) != 0xe0) return std::nullopt;
    static const int kRates[3] = {44100, 48000, 32000};
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    const int v = (p[1] >> 3) & 3, l = (p[1] >> 1) & 3, b = p[2] >> 4, r = (p[2] >> 2) & 3;
    if (v == 1 || l == 0 || b == 0 || b == 15 || r == 3) return std::nullopt;
    stream::MpegAudioHeader h;
    h.version = v == 3 ? 10 : v == 2 ? 20 : 25;
    h.layer = 4 - l;
    h.bitrateKbps = kBitrates[v == 3 ? 0 : 1][h.layer - 1][b];
    h.sampleRate = kRates[r] / (v == 3 ? 1 : v == 2 ? 2 : 4);
    h.channels = (p[3] >> 6) == 3 ? 1 : 2;
    const int pad = (p[2] >> 1) & 1;
    if (h.layer == 1) {
        h.samplesPerFrame = 384;
        h.frameBytes = static_cast<size_t>((12 * h.bitrateKbps * 1000 / h.sampleRate + pad) * 4);
    } else {
        h.samplesPerFrame = h.layer == 3 && h.version != 10 ? 576 : 1152;
        h.frameBytes = static_cast<size_t>(h.samplesPerFrame / 8 * h.bitrateKbps * 1000 / h.sampleRate + pad);
    }
    return h;
}

inline std::optional<stream::AdtsHeader> WalkAdtsHeader(std::span<const uint8_t> p) {
    if (p.size() < 7 || p[0] != 0xff || (p[1] & 0xf6) != 0xf0) return std::nullopt;
    static const int kRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                   22050, 16000, 12000, 11025, 8000,  7350};
    stream::AdtsHeader h;
    h.audioObjectType = (p[2] >> 6) + 1;
    h.sampleRateIndex = (p[2] >> 2) & 15;
    if (h.sampleRateIndex > 12) return std::nullopt;
    h.sampleRate = kRates[h.sampleRateIndex];
    h.channelConfig = ((p[2] & 1) << 2) | (p[3] >> 6);
    h.hasCrc = (p[1] & 1) == 0;
    h.headerBytes = h.hasCrc ? 9 : 7;
    h.frameBytes = static_cast<size_t>(((p[3] & 3) << 11) | (p[4] << 3) | (p[5] >> 5));
    if (h.frameBytes <= h.headerBytes) return std::nullopt;
    return h;
}

// Every frame of a file that holds only frames of one codec (after an optional ID3v2 tag).
inline std::vector<stream::AudioFrame> WalkFrames(const std::string& file, stream::AudioCodec codec) {
    std::vector<stream::AudioFrame> frames;
    const std::span<const uint8_t> all(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    size_t at = 0;
    if (all.size() > 10 && all[0] == 'I' && all[1] == 'D' && all[2] == '3') {
        at = 10 + ((all[6] & 0x7f) << 21 | (all[7] & 0x7f) << 14 | (all[8] & 0x7f) << 7 | (all[9] & 0x7f));
    }
    while (at < all.size()) {
        stream::AudioFrame f;
        f.codec = codec;
        size_t length = 0;
        if (codec == stream::AudioCodec::Aac) {
            auto h = WalkAdtsHeader(all.subspan(at));
            if (!h) break;
            f.adts = *h;
            length = h->frameBytes;
        } else {
            auto h = WalkMpegHeader(all.subspan(at));
            if (!h) break;
            f.mpeg = *h;
            length = h->frameBytes;
        }
        if (at + length > all.size()) break;
        f.bytes = all.subspan(at, length);
        frames.push_back(f);
        at += length;
    }
    return frames;
}

}  // namespace zarvio::test

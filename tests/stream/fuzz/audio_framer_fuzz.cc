// libFuzzer target for the MPEG audio and ADTS framer, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/audio_framer.cpp player/stream/formats/id3.cpp
//
// The first input byte seeds how the rest is cut into pushes. Whatever the cuts, the frames
// must be the ones that pushing everything at once gives; every frame must carry a header
// that parses again to what the frame reports, with frameBytes its length, all of one format;
// the frames must be pieces of the input, in order and disjoint, and where no ID3 tag can
// have been skipped they must sit exactly where the skipped bytes and earlier frames put them,
// followed by a header of their format. Reset must forget everything.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "player/stream/formats/audio_framer.h"

using namespace zarvio::stream;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Seen {
    std::vector<uint8_t> bytes;
    AudioCodec codec;
    MpegAudioHeader mpeg;
    AdtsHeader adts;
    uint64_t skippedBefore;  // SkippedBytes() when the frame came out
};

bool SameMpeg(const MpegAudioHeader& a, const MpegAudioHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.bitrateKbps == b.bitrateKbps &&
           a.sampleRate == b.sampleRate && a.channels == b.channels && a.samplesPerFrame == b.samplesPerFrame &&
           a.frameBytes == b.frameBytes;
}

bool SameAdts(const AdtsHeader& a, const AdtsHeader& b) {
    return a.audioObjectType == b.audioObjectType && a.sampleRateIndex == b.sampleRateIndex &&
           a.sampleRate == b.sampleRate && a.channelConfig == b.channelConfig && a.hasCrc == b.hasCrc &&
           a.headerBytes == b.headerBytes && a.frameBytes == b.frameBytes;
}

bool SameFormat(const Seen& a, const Seen& b) {
    if (a.codec != b.codec) return false;
    if (a.codec == AudioCodec::MpegAudio) {
        return a.mpeg.version == b.mpeg.version && a.mpeg.layer == b.mpeg.layer &&
               a.mpeg.sampleRate == b.mpeg.sampleRate && a.mpeg.channels == b.mpeg.channels;
    }
    return a.adts.audioObjectType == b.adts.audioObjectType && a.adts.sampleRate == b.adts.sampleRate &&
           a.adts.channelConfig == b.adts.channelConfig;
}

void Take(AudioFramer& framer, std::vector<Seen>& seen) {
    while (auto f = framer.Next()) {
        seen.push_back({{f->bytes.begin(), f->bytes.end()}, f->codec, f->mpeg, f->adts, framer.SkippedBytes()});
    }
}

std::vector<Seen> Frames(AudioFramer& framer, const uint8_t* data, size_t size, uint32_t cuts) {
    std::vector<Seen> seen;
    size_t pos = 0;
    while (pos < size) {
        size_t n = size - pos;
        if (cuts != 0) {
            cuts = cuts * 1103515245u + 12345u;
            n = std::min<size_t>((cuts >> 16) % 1200, n);
        }
        framer.Push({data + pos, n});
        pos += n;
        Take(framer, seen);
    }
    return seen;
}

bool Equal(const std::vector<Seen>& a, const std::vector<Seen>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].bytes != b[i].bytes || a[i].codec != b[i].codec || a[i].skippedBefore != b[i].skippedBefore) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint32_t cuts = data[0] * 2654435761u | 1;
    const uint8_t* input = data + 1;
    const size_t n = size - 1;

    AudioFramer whole;
    const std::vector<Seen> frames = Frames(whole, input, n, 0);
    AudioFramer pieces;
    Check(Equal(Frames(pieces, input, n, cuts), frames));
    Check(pieces.SkippedBytes() == whole.SkippedBytes());

    size_t framed = 0;
    for (const Seen& f : frames) {
        Check(SameFormat(f, frames.front()));
        if (f.codec == AudioCodec::MpegAudio) {
            const auto h = ParseMpegAudioHeader(f.bytes);
            Check(h && SameMpeg(*h, f.mpeg) && h->frameBytes == f.bytes.size());
        } else {
            const auto h = ParseAdtsHeader(f.bytes);
            Check(h && SameAdts(*h, f.adts) && h->frameBytes == f.bytes.size());
        }
        framed += f.bytes.size();
    }
    Check(whole.SkippedBytes() + framed <= n);

    const std::string_view text(reinterpret_cast<const char*>(input), n);
    if (text.find("ID3") == std::string_view::npos) {
        // Nothing skipped but noise: each frame starts after the noise and the frames before it.
        size_t before = 0;
        for (const Seen& f : frames) {
            const size_t at = static_cast<size_t>(f.skippedBefore) + before;
            Check(at + f.bytes.size() <= n && std::equal(f.bytes.begin(), f.bytes.end(), input + at));
            const std::span<const uint8_t> next(input + at + f.bytes.size(), n - at - f.bytes.size());
            Seen follower = f;
            if (f.codec == AudioCodec::MpegAudio) {
                const auto h = ParseMpegAudioHeader(next);
                Check(h.has_value());
                follower.mpeg = *h;
            } else {
                const auto h = ParseAdtsHeader(next);
                Check(h.has_value());
                follower.adts = *h;
            }
            Check(SameFormat(follower, f));
            before += f.bytes.size();
        }
    } else {
        // Tags may have been dropped: the frames must still be found in order, apart.
        const uint8_t* from = input;
        for (const Seen& f : frames) {
            from = std::search(from, input + n, f.bytes.begin(), f.bytes.end());
            Check(from != input + n);
            from += f.bytes.size();
        }
    }

    whole.Reset();
    Check(whole.SkippedBytes() == 0);
    Check(Equal(Frames(whole, input, n, 0), frames));

    // The end of the input: a last frame comes only when whole, of the locked format, and its
    // header parses to the length it has.
    if (auto last = whole.Flush()) {
        Check(!frames.empty());
        const auto bytes = last->bytes;
        if (last->codec == zarvio::stream::AudioCodec::MpegAudio) {
            const auto h = zarvio::stream::ParseMpegAudioHeader(bytes);
            Check(h && h->frameBytes == bytes.size() && h->sampleRate == frames.back().mpeg.sampleRate);
        } else {
            const auto h = zarvio::stream::ParseAdtsHeader(bytes);
            Check(h && h->frameBytes == bytes.size() && h->sampleRate == frames.back().adts.sampleRate);
        }
        Check(!whole.Flush());
    }
    return 0;
}

#include "player/stream/formats/audio_framer.h"

#include <algorithm>

#include "player/stream/formats/id3.h"

namespace zarvio::stream {
namespace {

// Kilobits per second by bitrate index 1..14 (0 is free format, 15 is forbidden).
constexpr int kMpeg1Kbps[3][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // Layer III
};
constexpr int kMpeg2Kbps[2][15] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},  // Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},       // Layers II and III
};
// By version (MPEG-1, MPEG-2, MPEG-2.5) and sampling index 0..2.
constexpr int kMpegRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
constexpr int kAdtsRates[13] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                22050, 16000, 12000, 11025, 8000,  7350};

constexpr size_t kTagHeaderBytes = 10;

}  // namespace

std::optional<MpegAudioHeader> ParseMpegAudioHeader(std::span<const uint8_t> p) {
    if (p.size() < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return std::nullopt;
    const int versionBits = (p[1] >> 3) & 3;  // 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1
    const int layerBits = (p[1] >> 1) & 3;    // 0 reserved (the ADTS pattern), then III, II, I
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    const int mode = p[3] >> 6;
    const int emphasis = p[3] & 3;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3 ||
        emphasis == 2) {
        return std::nullopt;
    }
    MpegAudioHeader h;
    const int versionRow = versionBits == 3 ? 0 : versionBits == 2 ? 1 : 2;
    h.version = versionRow == 0 ? 10 : versionRow == 1 ? 20 : 25;
    h.layer = 4 - layerBits;
    h.bitrateKbps = versionRow == 0 ? kMpeg1Kbps[h.layer - 1][bitrateIndex]
                                    : kMpeg2Kbps[h.layer == 1 ? 0 : 1][bitrateIndex];
    h.sampleRate = kMpegRates[versionRow][rateIndex];
    h.channels = mode == 3 ? 1 : 2;
    const long long bitsPerSecond = h.bitrateKbps * 1000LL;
    if (h.layer == 1) {
        // Layer I counts in slots of four bytes.
        h.samplesPerFrame = 384;
        h.frameBytes = static_cast<size_t>((12 * bitsPerSecond / h.sampleRate + padding) * 4);
    } else {
        // Layer III of MPEG-2 and 2.5 carries one granule, half of MPEG-1's samples.
        h.samplesPerFrame = h.layer == 3 && versionRow != 0 ? 576 : 1152;
        const int bytesPerKiloSample = h.samplesPerFrame / 8;  // 144 or 72
        h.frameBytes = static_cast<size_t>(bytesPerKiloSample * bitsPerSecond / h.sampleRate + padding);
    }
    return h;
}

std::optional<AdtsHeader> ParseAdtsHeader(std::span<const uint8_t> p) {
    // Twelve sync bits, the MPEG version bit (either), a layer of 0, the protection-absent bit.
    if (p.size() < 7 || p[0] != 0xFF || (p[1] & 0xF6) != 0xF0) return std::nullopt;
    AdtsHeader h;
    h.hasCrc = (p[1] & 1) == 0;
    h.headerBytes = h.hasCrc ? 9 : 7;
    h.audioObjectType = (p[2] >> 6) + 1;
    h.sampleRateIndex = (p[2] >> 2) & 0x0F;
    h.channelConfig = ((p[2] & 1) << 2) | (p[3] >> 6);
    h.frameBytes = (size_t{p[3] & 3u} << 11) | (size_t{p[4]} << 3) | (p[5] >> 5);
    if (h.sampleRateIndex > 12 || h.channelConfig == 0 || h.frameBytes < h.headerBytes) return std::nullopt;
    h.sampleRate = kAdtsRates[h.sampleRateIndex];
    h.rawBlocks = (p[6] & 3) + 1;
    return h;
}

FrameProbe ProbeAudioFrame(std::span<const uint8_t> p) {
    if (p.empty() || p[0] != 0xFF) return {};
    if (p.size() < 2) return {Probe::NeedMore};
    if ((p[1] & 0xF6) == 0xF0) {
        if (p.size() < 7) return {Probe::NeedMore};
        return ParseAdtsHeader(p) ? FrameProbe{Probe::Yes, AudioCodec::Aac} : FrameProbe{};
    }
    if (p.size() < 4) return {Probe::NeedMore};
    return ParseMpegAudioHeader(p) ? FrameProbe{Probe::Yes, AudioCodec::MpegAudio} : FrameProbe{};
}

// What the bytes at one place in the buffer are.
struct AudioFramer::Probe {
    enum class Kind { None, NeedMore, Frame, Tag } kind = Kind::None;
    Format format;
    size_t frameBytes = 0;
    MpegAudioHeader mpeg;
    AdtsHeader adts;
    uint64_t tagBytes = 0;
};

AudioFramer::Probe AudioFramer::ProbeAt(size_t offset) const {
    using Kind = Probe::Kind;
    Probe probe;
    Probe waitForMore;
    waitForMore.kind = Kind::NeedMore;
    const size_t available = offset < buffer_.size() ? buffer_.size() - offset : 0;
    if (available == 0) return waitForMore;
    const uint8_t* p = buffer_.data() + offset;
    if (p[0] == 'I') {
        static constexpr char kId3[] = "ID3";
        for (size_t k = 0; k < std::min<size_t>(available, 3); ++k) {
            if (p[k] != static_cast<uint8_t>(kId3[k])) return probe;
        }
        if (available < kTagHeaderBytes) return waitForMore;
        probe.tagBytes = Id3TagSize({p, available});
        if (probe.tagBytes != 0) probe.kind = Kind::Tag;
        return probe;
    }
    if (p[0] != 0xFF) return probe;
    if (available < 2) return waitForMore;
    if ((p[1] & 0xF6) == 0xF0) {
        if (available < 7) return waitForMore;
        const auto adts = ParseAdtsHeader({p, available});
        if (!adts) return probe;
        probe.kind = Kind::Frame;
        probe.adts = *adts;
        probe.frameBytes = adts->frameBytes;
        probe.format = {AudioCodec::Aac, 0, 0, adts->audioObjectType, adts->sampleRate, adts->channelConfig};
        return probe;
    }
    if (available < 4) return waitForMore;
    const auto mpeg = ParseMpegAudioHeader({p, available});
    if (!mpeg) return probe;
    probe.kind = Kind::Frame;
    probe.mpeg = *mpeg;
    probe.frameBytes = mpeg->frameBytes;
    probe.format = {AudioCodec::MpegAudio, mpeg->version, mpeg->layer, 0, mpeg->sampleRate, mpeg->channels};
    return probe;
}

bool AudioFramer::Fits(const Format& format) const { return !locked_ || *locked_ == format; }

// Whether kRelockFrames frames of this format follow one another from offset, the last one
// followed by a header of the same stream: the proof a new format must give to replace the old.
AudioFramer::Run AudioFramer::RunAt(size_t offset, const Format& format) const {
    using Kind = Probe::Kind;
    size_t at = offset;
    for (int k = 0; k < kRelockFrames; ++k) {
        const Probe p = ProbeAt(at);
        if (p.kind == Kind::NeedMore) return Run::NeedMore;
        if (p.kind != Kind::Frame || !(p.format == format)) return Run::No;
        at += p.frameBytes;
    }
    const Probe after = ProbeAt(at);
    if (after.kind == Kind::NeedMore) return Run::NeedMore;
    return after.kind == Kind::Tag || (after.kind == Kind::Frame && after.format == format) ? Run::Yes : Run::No;
}

AudioFramer::AudioFramer() = default;

void AudioFramer::Push(std::span<const uint8_t> data) {
    // Drop what was read once it is at least as long as what is left, so each byte is moved a
    // bounded number of times however small the pushes are.
    if (pos_ > 0 && pos_ >= buffer_.size() - pos_) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(pos_));
        pos_ = 0;
    }
    buffer_.insert(buffer_.end(), data.begin(), data.end());
}

std::optional<AudioFrame> AudioFramer::Next() {
    using Kind = Probe::Kind;
    for (;;) {
        if (tagLeft_ > 0) {
            const uint64_t take = std::min<uint64_t>(tagLeft_, buffer_.size() - pos_);
            pos_ += static_cast<size_t>(take);
            tagLeft_ -= take;
            if (tagLeft_ > 0) return std::nullopt;
        }
        const Probe here = ProbeAt(pos_);
        if (here.kind == Kind::NeedMore) return std::nullopt;
        if (here.kind == Kind::Tag) {
            tagLeft_ = here.tagBytes;
            continue;
        }
        bool relock = false;
        if (here.kind == Kind::Frame && !Fits(here.format) && sinceFrame_ >= kRelockBytes) {
            // Kilobytes without a frame of the locked format: the stream may have changed its
            // format (another encoder took over). A run of frames of the new one relocks.
            const Run run = RunAt(pos_, here.format);
            if (run == Run::NeedMore) return std::nullopt;
            relock = run == Run::Yes;
        }
        if (here.kind == Kind::Frame && (relock || Fits(here.format))) {
            // A frame counts once what follows it is the next frame of the same stream (or a
            // tag between two songs); one header alone is too easily found in noise.
            const Probe after = ProbeAt(pos_ + here.frameBytes);
            if (after.kind == Kind::NeedMore) return std::nullopt;
            if (after.kind == Kind::Tag || (after.kind == Kind::Frame && after.format == here.format)) {
                AudioFrame frame;
                frame.codec = here.format.codec;
                frame.bytes = std::span<const uint8_t>(buffer_.data() + pos_, here.frameBytes);
                frame.mpeg = here.mpeg;
                frame.adts = here.adts;
                frame.newFormat = !locked_ || relock;
                locked_ = here.format;
                sinceFrame_ = 0;
                pos_ += here.frameBytes;
                return frame;
            }
        }
        // Not a frame start: look again one byte further on.
        ++pos_;
        ++skipped_;
        if (locked_) ++sinceFrame_;
    }
}

std::optional<AudioFrame> AudioFramer::Flush() {
    if (!locked_ || tagLeft_ > 0) return std::nullopt;
    const Probe here = ProbeAt(pos_);
    if (here.kind != Probe::Kind::Frame || !Fits(here.format) || pos_ + here.frameBytes > buffer_.size())
        return std::nullopt;
    AudioFrame frame;
    frame.codec = here.format.codec;
    frame.bytes = std::span<const uint8_t>(buffer_.data() + pos_, here.frameBytes);
    frame.mpeg = here.mpeg;
    frame.adts = here.adts;
    pos_ += here.frameBytes;
    return frame;
}

void AudioFramer::Reset() {
    buffer_.clear();
    pos_ = 0;
    tagLeft_ = 0;
    locked_.reset();
    skipped_ = 0;
    sinceFrame_ = 0;
}

uint64_t AudioFramer::SkippedBytes() const { return skipped_; }

}  // namespace zarvio::stream

// Finds whole MPEG audio and ADTS (AAC) frames in a byte stream. A frame counts only when the
// next frame's header follows it where its length says, so noise gives no frames and noise
// followed by audio locks on within a few frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "player/stream/base/audio_format.h"
#include "player/stream/base/probe.h"

namespace zarvio::stream {

// The header at p (at least 4 bytes), or nullopt when these bytes are none.
std::optional<MpegAudioHeader> ParseMpegAudioHeader(std::span<const uint8_t> p);
// The header at p (at least 7 bytes), or nullopt.
std::optional<AdtsHeader> ParseAdtsHeader(std::span<const uint8_t> p);

// Whether p starts with an ADTS or an MPEG audio frame header, by the two parsers above: what
// content sniffing and the segment format ask of the first audio bytes.
struct FrameProbe {
    Probe answer = Probe::No;
    AudioCodec codec = AudioCodec::MpegAudio;  // with Probe::Yes
};
FrameProbe ProbeAudioFrame(std::span<const uint8_t> p);

// Bytes without a frame of the locked format after which another format may take over, and the
// run of frames that it takes: noise may hold a header or two, never three in a row.
inline constexpr uint64_t kRelockBytes = 2048;
inline constexpr int kRelockFrames = 3;

class AudioFramer {
public:
    AudioFramer();

    // Appends received bytes.
    void Push(std::span<const uint8_t> data);

    // The next whole frame, or nullopt until more bytes are pushed. Frames of one format at a
    // time: the codec and format of the first locked pair hold, and a header that disagrees with
    // them (another sample rate, channel count, layer or codec) is taken for noise, until
    // kRelockBytes went by without a frame of the locked format and a run of kRelockFrames
    // frames of one new format follows: then the new format is locked and its first frame says
    // so. Bytes before and between frames that do not form frames are skipped. The frame's bytes
    // stay valid until the next Push or Next.
    std::optional<AudioFrame> Next();

    // At the end of the stream: the last frame, which no header follows, when it is whole and
    // of the locked stream (after noise, a lone header proves nothing). Call after Next gave
    // nullopt.
    std::optional<AudioFrame> Flush();

    // Forgets everything pushed and the locked format (a new connection or a discontinuity).
    void Reset();

    // Bytes skipped as noise since the last Reset. ID3v2 tags are skipped whole by their stated
    // size and do not count: a tag with a picture can be far longer than any noise.
    uint64_t SkippedBytes() const;

private:
    // What the stream is locked to: frames of another kind are noise.
    struct Format {
        AudioCodec codec = AudioCodec::MpegAudio;
        int version = 0;  // MPEG audio only
        int layer = 0;    // MPEG audio only
        int audioObjectType = 0;  // AAC only
        int sampleRate = 0;
        int channels = 0;
        bool operator==(const Format&) const = default;
    };
    struct Probe;
    enum class Run { No, NeedMore, Yes };

    Probe ProbeAt(size_t offset) const;
    bool Fits(const Format& format) const;
    Run RunAt(size_t offset, const Format& format) const;

    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;               // where the unread bytes start
    uint64_t tagLeft_ = 0;         // bytes of an ID3v2 tag still to drop
    std::optional<Format> locked_;
    uint64_t skipped_ = 0;
    uint64_t sinceFrame_ = 0;      // bytes skipped since the last frame of the locked format
};

}  // namespace zarvio::stream

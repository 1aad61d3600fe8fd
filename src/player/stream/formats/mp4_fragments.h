// Fragmented MP4 (CMAF) audio as HLS serves it (ISO/IEC 14496-12 and 14496-14): the init segment
// says which track is the audio and how it is coded, each media segment's moof boxes say where
// its samples lie in the mdat. The AAC samples come out as ADTS frames so that every AAC path of
// the player goes through the same framer and decoder.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "player/stream/base/audio_format.h"
#include "player/stream/base/probe.h"

namespace zarvio::stream {

// One box: its four-character type and the bytes after its header, within the span the reader
// was given.
struct Mp4Box {
    uint32_t type = 0;
    size_t offset = 0;                   // where the box starts in the reader's span
    size_t size = 0;                     // header included
    std::span<const uint8_t> payload;    // after the header (and a uuid box's 16-byte user type)
};

constexpr uint32_t Mp4Type(const char (&t)[5]) {
    return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 | uint32_t(uint8_t(t[2])) << 8 |
           uint8_t(t[3]);
}

// Whether bytes start as a fragmented MP4 segment does: with one of the boxes that open an init
// or a media segment (ftyp, styp, moof, moov, sidx, prft, emsg). NeedMore under 8 bytes.
Probe ProbeFragmentedMp4(std::span<const uint8_t> bytes);

// Walks the boxes that fill a span (a file, a segment or a box's payload) one after another.
// Size 1 means a 64-bit size follows the type; size 0, that the box runs to the end of the span.
// A box that claims more bytes than the span holds, or fewer than its header, ends the walk and
// marks the span as overrun.
class Mp4BoxReader {
public:
    explicit Mp4BoxReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    std::optional<Mp4Box> Next();
    // The walk ended at a box that does not fit (a truncated or corrupt span).
    bool Overrun() const { return overrun_; }

private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool overrun_ = false;
};

// The AudioSpecificConfig fields that an ADTS header can carry (ISO/IEC 14496-3).
struct AacConfig {
    int audioObjectType = 0;   // 1..4; for HE-AAC signalled explicitly, its AAC core (2)
    int sampleRateIndex = 0;   // 0..12
    int channelConfig = 0;     // 1..7
};

enum class Mp4Status {
    Ok,
    Malformed,     // boxes or fields that contradict their sizes or each other
    NoAudioTrack,  // well-formed, but no sound track with a sample entry
    Unsupported,   // a sound track, but coded in a way the player does not decode
};

// The audio track of an init segment.
struct Mp4AudioTrack {
    uint32_t trackId = 0;
    uint32_t timescale = 0;        // ticks per second of the track's times (mdhd)
    AudioCodec codec = AudioCodec::Aac;
    AacConfig aac;                 // with AudioCodec::Aac
    // The movie's defaults for the track's fragments (trex), used when a fragment gives none.
    uint32_t defaultSampleDuration = 0;
    uint32_t defaultSampleSize = 0;
};

struct Mp4InitResult {
    Mp4Status status = Mp4Status::Malformed;
    Mp4AudioTrack track;           // with Mp4Status::Ok
};

// Reads the init segment (ftyp and moov): the first trak whose handler is 'soun' and whose
// sample entry is mp4a with an esds, of MPEG-4 AAC (object type indication 0x40, 0x66 to 0x68)
// or MPEG audio (0x69, 0x6B). AAC that ADTS cannot express (object types above 4, an explicit
// sample rate, channels given by a program config element) is Unsupported.
Mp4InitResult ReadMp4Init(std::span<const uint8_t> init);

// Reads the 2 or more bytes of an AudioSpecificConfig.
std::optional<AacConfig> ReadAudioSpecificConfig(std::span<const uint8_t> config);

// The 7-byte ADTS header (no CRC) for one raw AAC access unit of payloadBytes; nullopt when the
// frame would exceed the 13-bit ADTS frame length.
std::optional<std::array<uint8_t, 7>> AdtsHeaderFor(const AacConfig& config, size_t payloadBytes);

// Where one sample of the audio track lies in a media segment.
struct Mp4Sample {
    size_t offset = 0;       // from the segment's first byte
    size_t size = 0;
    uint64_t decodeTime = 0; // in the track's timescale: tfdt's base plus the durations before it
};

struct Mp4FragmentResult {
    // Malformed when a moof had to be skipped or the segment ends inside a box (truncated).
    Mp4Status status = Mp4Status::Ok;
    std::vector<Mp4Sample> samples;    // in segment order; every range lies inside the segment
    uint64_t droppedSamples = 0;       // samples whose bytes were not (all) in the segment
};

// Finds the audio track's samples in a media segment (styp, sidx, moof and mdat pairs). Sample
// sizes come from trun, else tfhd's default, else trex's; the data offset from trun relative to
// tfhd's base-data-offset, the moof (default-base-is-moof, or the first track fragment), or the
// end of the previous track fragment's data. A moof that is malformed is skipped whole; a sample
// that runs past the segment's bytes is dropped alone.
Mp4FragmentResult ReadMp4Fragments(std::span<const uint8_t> segment, const Mp4AudioTrack& track);

// Appends the elementary stream of the segment's samples to out: ADTS frames for AAC, the
// samples as they are for MPEG audio (whose samples are whole frames already). Returns the
// number of samples written; those too large for ADTS are left out.
size_t AppendElementaryStream(std::span<const uint8_t> segment, const Mp4AudioTrack& track,
                              std::span<const Mp4Sample> samples, std::vector<uint8_t>& out);

}  // namespace zarvio::stream

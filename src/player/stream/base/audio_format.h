// What the stream player's stages hand each other: compressed frames and decoded PCM.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace zarvio::stream {

// Decoded audio is always interleaved signed 16-bit samples.
struct PcmFormat {
    int sampleRate = 0;
    int channels = 0;
    bool valid() const { return sampleRate > 0 && channels > 0; }
    bool operator==(const PcmFormat&) const = default;
};

enum class AudioCodec { MpegAudio, Aac };

// The fields of an MPEG audio frame header (ISO/IEC 11172-3, 13818-3 and the 2.5 extension).
struct MpegAudioHeader {
    int version = 0;          // 10 for MPEG-1, 20 for MPEG-2, 25 for MPEG-2.5
    int layer = 0;            // 1, 2 or 3
    int bitrateKbps = 0;      // never 0: free-format frames are not accepted
    int sampleRate = 0;       // Hz
    int channels = 0;         // 1 or 2
    int samplesPerFrame = 0;  // per channel
    size_t frameBytes = 0;    // the whole frame, header included
};

// The fields of an ADTS header (ISO/IEC 13818-7 / 14496-3).
struct AdtsHeader {
    int audioObjectType = 0;  // profile + 1: 2 is AAC LC
    int sampleRateIndex = 0;
    int sampleRate = 0;       // Hz, as the header states (HE-AAC doubles it in the decoder)
    int channelConfig = 0;    // 1..7; 0 (configuration in the stream) is not accepted
    bool hasCrc = false;
    size_t headerBytes = 0;   // 7, or 9 with the CRC
    size_t frameBytes = 0;    // the whole frame, header included
    int rawBlocks = 1;        // raw data blocks in the frame (1 to 4)
};

// One whole compressed frame as the framer found it, header included. The bytes stay valid
// until the framer is fed again.
struct AudioFrame {
    AudioCodec codec = AudioCodec::MpegAudio;
    std::span<const uint8_t> bytes;
    MpegAudioHeader mpeg;  // when codec is MpegAudio
    AdtsHeader adts;       // when codec is Aac
    bool newFormat = false;  // the first frame since the framer locked onto a (new) format
};

}  // namespace zarvio::stream

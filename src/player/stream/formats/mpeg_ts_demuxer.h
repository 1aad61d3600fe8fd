// Takes the audio and the ID3 timed metadata out of an MPEG transport stream (ISO/IEC 13818-1),
// as HLS segments carry it.
//
// The first program of the PAT is played. Its PMT's first elementary stream of type 0x0F (ADTS
// AAC), 0x03 or 0x04 (MPEG audio) is the audio; the first of type 0x15 gives ID3 tags. Every
// whole PES packet of those streams is handed out with its PTS: for audio the payload is the
// elementary stream (ADTS or MPEG audio frames, headers included), for metadata one ID3 tag.
//
// Damage costs only what it touched: a packet lost (a continuity counter gap), flagged as in
// error, scrambled or malformed drops the PES packet it belonged to, and nothing more; bytes
// between packets are skipped until two sync bytes 188 bytes apart are found again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "player/stream/base/audio_format.h"
#include "player/stream/base/probe.h"

namespace zarvio::stream {

inline constexpr size_t kTsPacketBytes = 188;
inline constexpr uint8_t kTsSyncByte = 0x47;

// Packet sync at `at`: a sync byte there and another one packet later. One sync byte proves
// nothing, 0x47 is too common a byte; the demuxer finds its way back after damage by this too.
inline bool TsSyncPairAt(std::span<const uint8_t> bytes, size_t at) {
    return at + kTsPacketBytes < bytes.size() && bytes[at] == kTsSyncByte && bytes[at + kTsPacketBytes] == kTsSyncByte;
}

// How many packets' sync bytes the probe looks at, when the bytes hold them.
inline constexpr size_t kTsPacketsProbed = 5;

// Whether bytes start a transport stream: packet sync at the start (NeedMore until the second
// packet's sync byte is there), and a sync byte at the start of each further packet, up to
// kTsPacketsProbed packets, that the bytes hold.
Probe ProbeTransportStream(std::span<const uint8_t> bytes);

// One whole PES packet's payload of the chosen streams.
struct TsPayload {
    enum class Kind { Audio, Id3 };
    Kind kind = Kind::Audio;
    AudioCodec codec = AudioCodec::Aac;   // with Kind::Audio
    std::optional<uint64_t> pts90k;      // 33 bits, 90 kHz; absent when the PES header has none
    std::vector<uint8_t> bytes;
};

// What the demuxer knows of the stream so far.
enum class TsStreamState {
    Searching,    // no PAT and PMT read yet
    Playing,      // an audio stream of a type the player decodes was chosen
    Unsupported,  // the program has audio only of types the player cannot decode (LATM, 0x11)
    NoAudio,      // the program has no audio stream at all
};

class MpegTsDemuxer {
public:
    MpegTsDemuxer();

    // Demultiplexes bytes that continue the stream (any split), appending the PES payloads that
    // they complete to out in stream order.
    void Push(std::span<const uint8_t> data, std::vector<TsPayload>& out);

    // The stream ends here (the end of a segment): a last packet held back for its sync check
    // is read, and a PES packet without a stated length that is in progress is handed out. One
    // whose stated length has not arrived is dropped.
    void Flush(std::vector<TsPayload>& out);

    // Forgets everything, the PAT and PMT included (a discontinuity, another stream).
    void Reset();

    TsStreamState State() const { return state_; }
    // The codec of the chosen audio stream (with TsStreamState::Playing).
    AudioCodec Codec() const { return audioCodec_; }
    // PES packets dropped since the last Reset because packets of theirs were lost or damaged.
    uint64_t DroppedPesPackets() const { return droppedPes_; }
    // Bytes skipped while looking for packet sync since the last Reset.
    uint64_t SkippedBytes() const { return skippedBytes_; }

private:
    // The PES packet being gathered for one of the chosen streams.
    struct PesStream {
        uint16_t pid = 0xFFFF;
        int lastCounter = -1;     // continuity counter of the last packet with payload
        bool gathering = false;   // a PES packet is in progress
        std::vector<uint8_t> pes; // the PES packet's bytes from its start code
    };
    // A PSI section (PAT or PMT) being gathered across packets.
    struct SectionStream {
        int lastCounter = -1;
        bool gathering = false;
        std::vector<uint8_t> section;
    };

    void ReadPending(bool atEnd, std::vector<TsPayload>& out);
    void ReadPacket(const uint8_t* packet, std::vector<TsPayload>& out);
    void ReadSectionPacket(SectionStream& s, bool unitStart, bool counterBroken,
                           std::span<const uint8_t> payload, bool isPat);
    void ReadSection(std::span<const uint8_t> section, bool isPat);
    void ReadPat(std::span<const uint8_t> section);
    void ReadPmt(std::span<const uint8_t> section);
    void ReadPesPacket(PesStream& s, TsPayload::Kind kind, bool unitStart,
                       std::span<const uint8_t> payload, std::vector<TsPayload>& out);
    void FinishPes(PesStream& s, TsPayload::Kind kind, std::vector<TsPayload>& out);
    void DropPes(PesStream& s);
    void Flush(PesStream& s, TsPayload::Kind kind, std::vector<TsPayload>& out);

    std::vector<uint8_t> pending_;  // bytes not yet read as packets
    bool synced_ = false;
    SectionStream pat_;
    SectionStream pmt_;
    int pmtPid_ = -1;
    int programNumber_ = -1;
    PesStream audio_;
    PesStream id3_;
    AudioCodec audioCodec_ = AudioCodec::Aac;
    TsStreamState state_ = TsStreamState::Searching;
    uint64_t droppedPes_ = 0;
    uint64_t skippedBytes_ = 0;
};

}  // namespace zarvio::stream

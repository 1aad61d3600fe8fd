#include "player/stream/formats/mpeg_ts_demuxer.h"

#include <algorithm>

namespace zarvio::stream {
namespace {

constexpr uint16_t kPatPid = 0x0000;
constexpr uint16_t kNullPid = 0x1FFF;
constexpr uint16_t kNoPid = 0xFFFF;
constexpr size_t kMaxSectionBytes = 1024;  // section_length is at most 1021, plus its 3 header bytes
// An audio PES packet holds a few frames; one that grows past this is garbage, not audio.
constexpr size_t kMaxPesBytes = size_t(1) << 20;

constexpr uint8_t kStreamTypeMpeg1Audio = 0x03;
constexpr uint8_t kStreamTypeMpeg2Audio = 0x04;
constexpr uint8_t kStreamTypeAdtsAac = 0x0F;
constexpr uint8_t kStreamTypeLatmAac = 0x11;
constexpr uint8_t kStreamTypeId3 = 0x15;

// The CRC of PSI sections (polynomial 0x04C11DB7, no reflection). Over a whole section, its CRC
// field included, it comes out 0.
uint32_t Crc32Mpeg(std::span<const uint8_t> bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t b : bytes) {
        crc ^= uint32_t(b) << 24;
        for (int i = 0; i < 8; ++i) crc = (crc & 0x80000000) ? (crc << 1) ^ 0x04C11DB7 : crc << 1;
    }
    return crc;
}

// Stream ids whose PES packets carry no optional PES header (and never our audio).
bool HasNoPesHeader(uint8_t streamId) {
    switch (streamId) {
        case 0xBC: case 0xBE: case 0xBF: case 0xF0: case 0xF1: case 0xF2: case 0xF8: case 0xFF:
            return true;
        default:
            return false;
    }
}

// A 33-bit timestamp in its 5-byte PES header form, or nullopt when its marker bits are wrong.
std::optional<uint64_t> ReadTimestamp(const uint8_t* b) {
    if ((b[0] & 0x01) == 0 || (b[2] & 0x01) == 0 || (b[4] & 0x01) == 0) return std::nullopt;
    return uint64_t(b[0] >> 1 & 0x07) << 30 | uint64_t(b[1]) << 22 | uint64_t(b[2] >> 1) << 15 |
           uint64_t(b[3]) << 7 | uint64_t(b[4] >> 1);
}

}  // namespace

MpegTsDemuxer::MpegTsDemuxer() { Reset(); }

void MpegTsDemuxer::Reset() {
    pending_.clear();
    synced_ = false;
    pat_ = SectionStream{};
    pmt_ = SectionStream{};
    pmtPid_ = -1;
    programNumber_ = -1;
    audio_ = PesStream{};
    id3_ = PesStream{};
    audioCodec_ = AudioCodec::Aac;
    state_ = TsStreamState::Searching;
    droppedPes_ = 0;
    skippedBytes_ = 0;
}

void MpegTsDemuxer::Push(std::span<const uint8_t> data, std::vector<TsPayload>& out) {
    pending_.insert(pending_.end(), data.begin(), data.end());
    ReadPending(false, out);
}

void MpegTsDemuxer::Flush(std::vector<TsPayload>& out) {
    ReadPending(true, out);
    skippedBytes_ += pending_.size();
    pending_.clear();
    synced_ = false;
    Flush(audio_, TsPayload::Kind::Audio, out);
    Flush(id3_, TsPayload::Kind::Id3, out);
}

Probe ProbeTransportStream(std::span<const uint8_t> bytes) {
    if (!bytes.empty() && bytes[0] != kTsSyncByte) return Probe::No;
    if (bytes.size() <= kTsPacketBytes) return Probe::NeedMore;
    if (!TsSyncPairAt(bytes, 0)) return Probe::No;
    for (size_t i = 2; i < kTsPacketsProbed && i * kTsPacketBytes < bytes.size(); ++i) {
        if (bytes[i * kTsPacketBytes] != kTsSyncByte) return Probe::No;
    }
    return Probe::Yes;
}

// A packet is read when another sync byte follows it a packet later. When none does, either
// bytes were inserted after it, or its own sync byte was one of inserted bytes, or the next
// packet's sync byte is damaged: a sync pair starting inside it means the second; otherwise a
// packet in line with the ones before is read, and the search goes on after it.
void MpegTsDemuxer::ReadPending(bool atEnd, std::vector<TsPayload>& out) {
    const size_t size = pending_.size();
    const std::span<const uint8_t> bytes = pending_;
    const auto isSync = [&](size_t i) { return pending_[i] == kTsSyncByte; };
    size_t pos = 0;
    while (size - pos >= kTsPacketBytes) {
        if (!isSync(pos)) {
            synced_ = false;
            ++pos;
            ++skippedBytes_;
            continue;
        }
        const size_t next = pos + kTsPacketBytes;
        if (next == size) {
            if (!atEnd) break;  // wait for what follows
            ReadPacket(pending_.data() + pos, out);
            pos = next;
            continue;
        }
        if (TsSyncPairAt(bytes, pos)) {
            ReadPacket(pending_.data() + pos, out);
            synced_ = true;
            pos = next;
            continue;
        }
        if (!atEnd && size < next + kTsPacketBytes) break;  // not enough to look for a pair
        size_t pair = 0;
        for (size_t c = pos + 1; c < next && c + kTsPacketBytes < size; ++c) {
            if (TsSyncPairAt(bytes, c)) { pair = c; break; }
        }
        if (pair != 0) {
            skippedBytes_ += pair - pos;
            pos = pair;
        } else if (synced_ || atEnd) {
            ReadPacket(pending_.data() + pos, out);
            synced_ = false;
            pos = next;
        } else {
            ++pos;
            ++skippedBytes_;
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(pos));
}

void MpegTsDemuxer::Flush(PesStream& s, TsPayload::Kind kind, std::vector<TsPayload>& out) {
    if (s.gathering) FinishPes(s, kind, out);
}

void MpegTsDemuxer::ReadPacket(const uint8_t* p, std::vector<TsPayload>& out) {
    const bool inError = p[1] & 0x80;
    const bool unitStart = p[1] & 0x40;
    const uint16_t pid = uint16_t((p[1] & 0x1F) << 8 | p[2]);
    const int scrambling = p[3] >> 6;
    const int adaptation = p[3] >> 4 & 0x03;
    const int counter = p[3] & 0x0F;
    if (pid == kNullPid) return;

    SectionStream* section = nullptr;
    PesStream* pes = nullptr;
    TsPayload::Kind kind = TsPayload::Kind::Audio;
    if (pid == kPatPid) section = &pat_;
    else if (pid == pmtPid_) section = &pmt_;
    else if (pid == audio_.pid) pes = &audio_;
    else if (pid == id3_.pid) { pes = &id3_; kind = TsPayload::Kind::Id3; }
    else return;
    int& lastCounter = section ? section->lastCounter : pes->lastCounter;

    bool damaged = inError || scrambling != 0 || adaptation == 0;
    size_t payloadAt = 4;
    bool discontinuity = false;
    if (!damaged && (adaptation & 0x02)) {
        const size_t length = p[4];
        // Without payload the adaptation field fills the packet; with payload it leaves room.
        if ((adaptation == 0x02 && length != 183) || (adaptation == 0x03 && length > 182)) {
            damaged = true;
        } else {
            if (length > 0) discontinuity = p[5] & 0x80;
            payloadAt = 5 + length;
        }
    }
    const bool hasPayload = !damaged && (adaptation & 0x01);

    bool counterBroken = false;
    if (damaged) {
        lastCounter = -1;  // its counter cannot be trusted; the next packet starts afresh
        counterBroken = true;
    } else if (hasPayload) {
        if (lastCounter >= 0 && !discontinuity) {
            if (counter == lastCounter) return;  // a duplicate packet: its payload came already
            if (counter != ((lastCounter + 1) & 0x0F)) counterBroken = true;
        }
        lastCounter = counter;
    }
    if (!hasPayload && !damaged) return;  // adaptation field only: no payload, nothing lost

    const std::span<const uint8_t> payload =
        damaged ? std::span<const uint8_t>() : std::span<const uint8_t>(p + payloadAt, kTsPacketBytes - payloadAt);
    if (section) {
        ReadSectionPacket(*section, unitStart && !damaged, counterBroken, payload, pid == kPatPid);
    } else {
        // A gap before this packet breaks the PES in progress; damage to this packet also breaks
        // the one it would start.
        if (counterBroken) DropPes(*pes);
        if (damaged) return;
        ReadPesPacket(*pes, kind, unitStart, payload, out);
    }
}

void MpegTsDemuxer::DropPes(PesStream& s) {
    if (s.gathering) ++droppedPes_;
    s.gathering = false;
    s.pes.clear();
}

void MpegTsDemuxer::ReadPesPacket(PesStream& s, TsPayload::Kind kind, bool unitStart,
                                  std::span<const uint8_t> payload, std::vector<TsPayload>& out) {
    if (unitStart) {
        if (s.gathering) FinishPes(s, kind, out);
        s.pes.assign(payload.begin(), payload.end());
        s.gathering = true;
    } else {
        if (!s.gathering) return;  // the rest of a PES packet whose start was lost
        if (s.pes.size() + payload.size() > kMaxPesBytes) { DropPes(s); return; }
        s.pes.insert(s.pes.end(), payload.begin(), payload.end());
    }
    // A PES packet with a stated length is handed out as soon as it is whole.
    if (s.pes.size() >= 6) {
        const size_t length = size_t(s.pes[4]) << 8 | s.pes[5];
        if (length != 0 && s.pes.size() >= 6 + length) FinishPes(s, kind, out);
    }
}

void MpegTsDemuxer::FinishPes(PesStream& s, TsPayload::Kind kind, std::vector<TsPayload>& out) {
    s.gathering = false;
    std::vector<uint8_t>& b = s.pes;
    auto drop = [&] {
        ++droppedPes_;
        b.clear();
    };
    if (b.size() < 6 || b[0] != 0 || b[1] != 0 || b[2] != 1) return drop();
    size_t size = b.size();
    const size_t length = size_t(b[4]) << 8 | b[5];
    if (length != 0) {
        if (size < 6 + length) return drop();  // the rest of it never came
        size = 6 + length;  // what follows it in its last packet is stuffing
    }
    const uint8_t streamId = b[3];
    if (HasNoPesHeader(streamId)) { b.clear(); return; }
    if (size < 9 || (b[6] & 0xC0) != 0x80) return drop();
    const int timestampFlags = b[7] >> 6;
    const size_t headerData = b[8];
    if (9 + headerData > size || timestampFlags == 1) return drop();
    if ((timestampFlags == 2 && headerData < 5) || (timestampFlags == 3 && headerData < 10)) return drop();

    TsPayload payload;
    payload.kind = kind;
    payload.codec = audioCodec_;
    if (timestampFlags & 0x02) payload.pts90k = ReadTimestamp(&b[9]);
    payload.bytes.assign(b.begin() + std::ptrdiff_t(9 + headerData), b.begin() + std::ptrdiff_t(size));
    b.clear();
    if (!payload.bytes.empty()) out.push_back(std::move(payload));
}

void MpegTsDemuxer::ReadSectionPacket(SectionStream& s, bool unitStart, bool counterBroken,
                                      std::span<const uint8_t> payload, bool isPat) {
    if (counterBroken) {
        s.gathering = false;
        s.section.clear();
    }
    if (payload.empty()) return;
    auto drain = [&] {
        // A packet may end one section and hold further ones; 0xFF stuffs the rest.
        while (s.gathering && s.section.size() >= 3) {
            if (s.section[0] == 0xFF) { s.gathering = false; break; }
            const size_t whole = 3 + (size_t(s.section[1] & 0x0F) << 8 | s.section[2]);
            if (whole > kMaxSectionBytes) { s.gathering = false; break; }
            if (s.section.size() < whole) break;
            ReadSection(std::span<const uint8_t>(s.section.data(), whole), isPat);
            s.section.erase(s.section.begin(), s.section.begin() + std::ptrdiff_t(whole));
        }
        if (!s.gathering) s.section.clear();
    };
    if (unitStart) {
        const size_t pointer = payload[0];
        if (1 + pointer > payload.size()) {
            s.gathering = false;
            s.section.clear();
            return;
        }
        if (s.gathering) {  // the bytes before the pointer end the previous section
            s.section.insert(s.section.end(), payload.begin() + 1, payload.begin() + std::ptrdiff_t(1 + pointer));
            drain();
        }
        s.section.assign(payload.begin() + std::ptrdiff_t(1 + pointer), payload.end());
        s.gathering = true;
    } else {
        if (!s.gathering) return;
        s.section.insert(s.section.end(), payload.begin(), payload.end());
    }
    if (s.section.size() > 2 * kMaxSectionBytes) { s.gathering = false; s.section.clear(); return; }
    drain();
}

void MpegTsDemuxer::ReadSection(std::span<const uint8_t> section, bool isPat) {
    // table id, syntax and length (3), the long-form header (5), the CRC (4)
    if (section.size() < 12 || (section[1] & 0x80) == 0) return;
    if (Crc32Mpeg(section) != 0) return;
    if ((section[5] & 0x01) == 0) return;  // not yet in force
    if (isPat) ReadPat(section);
    else ReadPmt(section);
}

void MpegTsDemuxer::ReadPat(std::span<const uint8_t> s) {
    if (s[0] != 0x00) return;
    const size_t end = s.size() - 4;
    for (size_t at = 8; at + 4 <= end; at += 4) {
        const int program = s[at] << 8 | s[at + 1];
        const int pid = (s[at + 2] & 0x1F) << 8 | s[at + 3];
        if (program == 0) continue;  // the network information table
        if (pid != pmtPid_ || program != programNumber_) {
            pmtPid_ = pid;
            programNumber_ = program;
            pmt_ = SectionStream{};
        }
        return;
    }
}

void MpegTsDemuxer::ReadPmt(std::span<const uint8_t> s) {
    if (s[0] != 0x02 || s.size() < 16) return;
    if ((s[3] << 8 | s[4]) != programNumber_) return;
    const size_t end = s.size() - 4;
    const size_t programInfo = size_t(s[10] & 0x0F) << 8 | s[11];
    size_t at = 12 + programInfo;
    if (at > end) return;

    int audioPid = -1, id3Pid = -1;
    AudioCodec codec = AudioCodec::Aac;
    bool sawLatm = false;
    while (at < end) {
        if (at + 5 > end) return;  // a broken entry: the table as a whole cannot be trusted
        const uint8_t type = s[at];
        const int pid = (s[at + 1] & 0x1F) << 8 | s[at + 2];
        const size_t info = size_t(s[at + 3] & 0x0F) << 8 | s[at + 4];
        at += 5;
        if (at + info > end) return;
        at += info;
        if (type == kStreamTypeAdtsAac || type == kStreamTypeMpeg1Audio || type == kStreamTypeMpeg2Audio) {
            if (audioPid < 0) {
                audioPid = pid;
                codec = type == kStreamTypeAdtsAac ? AudioCodec::Aac : AudioCodec::MpegAudio;
            }
        } else if (type == kStreamTypeLatmAac) {
            sawLatm = true;
        } else if (type == kStreamTypeId3 && id3Pid < 0) {
            id3Pid = pid;
        }
    }
    if (audioPid >= 0) {
        if (audio_.pid != audioPid || audioCodec_ != codec) {
            audio_ = PesStream{};
            audio_.pid = uint16_t(audioPid);
        }
        audioCodec_ = codec;
        state_ = TsStreamState::Playing;
    } else {
        audio_ = PesStream{};
        state_ = sawLatm ? TsStreamState::Unsupported : TsStreamState::NoAudio;
    }
    if (id3Pid == audioPid) id3Pid = -1;
    if (id3Pid < 0) {
        id3_ = PesStream{};
    } else if (id3_.pid != id3Pid) {
        id3_ = PesStream{};
        id3_.pid = uint16_t(id3Pid);
    }
}

}  // namespace zarvio::stream

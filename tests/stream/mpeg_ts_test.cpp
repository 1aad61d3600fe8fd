#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <utility>

#include "player/stream/formats/mpeg_ts_demuxer.h"
#include "stream/byte_writer.h"

namespace zarvio::stream {
namespace {

using test::Bytes;

// CRC-32/MPEG-2, bit by bit over the message.
uint32_t SectionCrc(const Bytes& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t byte : bytes) {
        for (int bit = 7; bit >= 0; --bit) {
            const bool top = ((crc >> 31) ^ (byte >> bit)) & 1;
            crc = (crc << 1) ^ (top ? 0x04C11DB7u : 0u);
        }
    }
    return crc;
}

struct EsEntry {
    uint8_t type;
    int pid;
};

// Writes transport stream packets one by one, so that tests can lose, damage or repeat them.
class TsWriter {
public:
    std::vector<Bytes> packets;

    void Packet(int pid, bool start, const Bytes& payload, uint8_t adaptationFlags = 0) {
        Bytes p = {0x47, uint8_t((start ? 0x40 : 0) | pid >> 8), uint8_t(pid)};
        const size_t stuffing = 184 - payload.size();
        const bool adaptation = stuffing > 0 || adaptationFlags != 0;
        p.push_back(uint8_t((adaptation ? 0x30 : 0x10) | (counters_[pid]++ & 0x0F)));
        if (adaptation) {
            const size_t length = stuffing > 0 ? stuffing - 1 : 0;
            p.push_back(uint8_t(length));
            if (length > 0) p.push_back(adaptationFlags);
            for (size_t i = 1; i < length; ++i) p.push_back(0xFF);
        }
        test::Append(p, payload);
        packets.push_back(p);
    }
    void Section(int pid, Bytes section) {
        test::PutBE(section, SectionCrc(section), 4);
        Bytes payload = {0};  // pointer field
        test::Append(payload, section);
        Packet(pid, true, payload);
    }
    void Pat(int pmtPid) {
        // The network information table's entry comes first and must be passed over.
        Bytes s = {0x00, 0xB0, 5 + 8 + 4, 0x00, 0x01, 0xC1, 0, 0, 0x00, 0x00, 0xE0, 0x10};
        test::Append(s, {0x00, 0x01, uint8_t(0xE0 | pmtPid >> 8), uint8_t(pmtPid)});
        Section(0, s);
    }
    void Pmt(int pmtPid, const std::vector<EsEntry>& streams) {
        const Bytes programInfo = {0x05, 0x04, 'H', 'D', 'M', 'V'};
        const Bytes esInfo = {0x0A, 0x04, 'e', 'n', 'g', 0x00};
        Bytes body = {0x00, 0x01, 0xC1, 0, 0, 0xE1, 0x00, 0xF0, uint8_t(programInfo.size())};
        test::Append(body, programInfo);
        for (const EsEntry& e : streams) {
            test::Append(body, {e.type, uint8_t(0xE0 | e.pid >> 8), uint8_t(e.pid), 0xF0, uint8_t(esInfo.size())});
            test::Append(body, esInfo);
        }
        Bytes s = {0x02, uint8_t(0xB0 | (body.size() + 4) >> 8), uint8_t(body.size() + 4)};
        test::Append(s, body);
        Section(pmtPid, s);
    }
    // One PES packet split into as many transport packets as it needs.
    void Pes(int pid, const Bytes& payload, std::optional<uint64_t> pts, bool statedLength = true,
             uint8_t streamId = 0xC0) {
        Bytes header = {pts ? uint8_t(0x80) : uint8_t(0x00), uint8_t(pts ? 5 : 0)};
        if (pts) {
            const uint64_t t = *pts;
            test::Append(header, {uint8_t(0x21 | (t >> 29 & 0x0E)), uint8_t(t >> 22), uint8_t((t >> 14 & 0xFE) | 1),
                                  uint8_t(t >> 7), uint8_t((t << 1 & 0xFE) | 1)});
        }
        const size_t length = statedLength ? 1 + header.size() + payload.size() : 0;
        Bytes pes = {0, 0, 1, streamId, uint8_t(length >> 8), uint8_t(length), 0x80};
        test::Append(pes, header);
        test::Append(pes, payload);
        for (size_t at = 0; at < pes.size(); at += 184) {
            const size_t n = std::min<size_t>(184, pes.size() - at);
            Packet(pid, at == 0, Bytes(pes.begin() + at, pes.begin() + at + n));
        }
    }
    Bytes Joined() const {
        Bytes all;
        for (const Bytes& p : packets) test::Append(all, p);
        return all;
    }

private:
    std::map<int, int> counters_;
};

// Audio-like payload bytes that never hold the sync byte 0x47.
Bytes Payload(size_t size, int seed) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = uint8_t((i * 7 + seed) % 0x40);
    return b;
}

std::vector<TsPayload> Demux(MpegTsDemuxer& d, const Bytes& stream, size_t chunk = 61) {
    std::vector<TsPayload> out;
    for (size_t at = 0; at < stream.size(); at += chunk) {
        d.Push(std::span(stream).subspan(at, std::min(chunk, stream.size() - at)), out);
    }
    d.Flush(out);
    return out;
}

constexpr int kPmt = 0x1000, kAudio = 0x100;

TEST(MpegTs, WriterCrcIsTheStandardOne) {
    EXPECT_EQ(SectionCrc(Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'}), 0x0376E6E7u);
}

TEST(MpegTs, GivesEachPesOfThePlayedAudioTypesWithItsTimestamp) {
    const uint64_t stamps[] = {0, 0x1'23456789ULL, 0x1'FFFFFFFFULL};
    const size_t sizes[] = {100, 500, 1000};  // one packet, three, six
    for (const auto& [type, codec] : {std::pair{uint8_t(0x0F), AudioCodec::Aac},
                                      std::pair{uint8_t(0x03), AudioCodec::MpegAudio},
                                      std::pair{uint8_t(0x04), AudioCodec::MpegAudio}}) {
        TsWriter w;
        w.Pat(kPmt);
        w.Pmt(kPmt, {{type, kAudio}});
        for (int i = 0; i < 3; ++i) w.Pes(kAudio, Payload(sizes[i], i), stamps[i]);
        MpegTsDemuxer d;
        EXPECT_EQ(d.State(), TsStreamState::Searching);
        const auto out = Demux(d, w.Joined());
        EXPECT_EQ(d.State(), TsStreamState::Playing);
        EXPECT_EQ(d.Codec(), codec);
        ASSERT_EQ(out.size(), 3u) << "type " << int(type);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(out[i].kind, TsPayload::Kind::Audio);
            EXPECT_EQ(out[i].codec, codec);
            EXPECT_EQ(out[i].pts90k, stamps[i]);
            EXPECT_EQ(out[i].bytes, Payload(sizes[i], i));
        }
        EXPECT_EQ(d.DroppedPesPackets(), 0u);
    }
}

TEST(MpegTs, ChoosesTheFirstPlayableAudioAndReportsWhatItCannotPlay) {
    TsWriter w;
    w.Pat(kPmt);
    w.Pmt(kPmt, {{0x11, 0x300}, {0x1B, 0x301}, {0x0F, kAudio}, {0x03, 0x302}});
    w.Pes(0x302, Payload(50, 9), 1);
    w.Pes(kAudio, Payload(50, 1), 2);
    w.Pes(0x300, Payload(50, 8), 3);
    MpegTsDemuxer d;
    auto out = Demux(d, w.Joined());
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, Payload(50, 1));
    EXPECT_EQ(d.Codec(), AudioCodec::Aac);

    const struct { std::vector<EsEntry> streams; TsStreamState state; } cases[] = {
        {{{0x1B, 0x301}, {0x11, 0x300}}, TsStreamState::Unsupported},
        {{{0x1B, 0x301}}, TsStreamState::NoAudio},
    };
    for (const auto& c : cases) {
        TsWriter v;
        v.Pat(kPmt);
        v.Pmt(kPmt, c.streams);
        MpegTsDemuxer e;
        Demux(e, v.Joined());
        EXPECT_EQ(e.State(), c.state);
    }

    // A PMT whose CRC is wrong is not believed.
    TsWriter bad;
    bad.Pat(kPmt);
    bad.Pmt(kPmt, {{0x0F, kAudio}});
    bad.packets[1][187] ^= 0x01;  // the section ends the packet: its last CRC byte
    MpegTsDemuxer e;
    Demux(e, bad.Joined());
    EXPECT_EQ(e.State(), TsStreamState::Searching);
}

// Three PES packets of three transport packets each, after the PAT and PMT (packets 0 and 1).
TsWriter ThreePes() {
    TsWriter w;
    w.Pat(kPmt);
    w.Pmt(kPmt, {{0x0F, kAudio}});
    for (int i = 0; i < 3; ++i) w.Pes(kAudio, Payload(500, i), 1000 * i);
    return w;
}

TEST(MpegTs, ADamagedOrLostPacketCostsOnlyItsPes) {
    const size_t middleOfSecond = 2 + 3 + 1;
    std::vector<std::pair<const char*, TsWriter>> cases;
    cases.emplace_back("lost", ThreePes());
    cases.back().second.packets.erase(cases.back().second.packets.begin() + middleOfSecond);
    cases.emplace_back("in error", ThreePes());
    cases.back().second.packets[middleOfSecond][1] |= 0x80;
    cases.emplace_back("scrambled", ThreePes());
    cases.back().second.packets[middleOfSecond][3] |= 0x80;
    cases.emplace_back("adaptation field too long", ThreePes());
    cases.back().second.packets[2 + 3 + 2][4] = 183;  // the last packet has stuffing and payload
    for (auto& [what, w] : cases) {
        MpegTsDemuxer d;
        const auto out = Demux(d, w.Joined());
        ASSERT_EQ(out.size(), 2u) << what;
        EXPECT_EQ(out[0].bytes, Payload(500, 0)) << what;
        EXPECT_EQ(out[1].bytes, Payload(500, 2)) << what;
        EXPECT_EQ(out[1].pts90k, 2000u) << what;
        EXPECT_EQ(d.DroppedPesPackets(), 1u) << what;
    }

    // A packet sent twice is taken once.
    TsWriter twice = ThreePes();
    twice.packets.insert(twice.packets.begin() + middleOfSecond, twice.packets[middleOfSecond]);
    MpegTsDemuxer d;
    const auto out = Demux(d, twice.Joined());
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].bytes, Payload(500, 1));
}

TEST(MpegTs, FindsPacketsAgainAfterNoise) {
    TsWriter w = ThreePes();
    // Sync bytes without a partner one packet later must not lock on.
    const Bytes noise(37, 0x47);
    Bytes stream = noise;
    for (size_t i = 0; i < w.packets.size(); ++i) {
        test::Append(stream, w.packets[i]);
        if (i == 3) test::Append(stream, noise);
    }
    MpegTsDemuxer d;
    const auto out = Demux(d, stream, 1000);
    ASSERT_EQ(out.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(out[i].bytes, Payload(500, i));
    EXPECT_EQ(d.SkippedBytes(), 2 * noise.size());

    // A damaged sync byte costs that packet's PES, and the packet before it is still read.
    TsWriter damaged = ThreePes();
    damaged.packets[2 + 3 + 1][0] = 0x46;
    MpegTsDemuxer e;
    const auto rest = Demux(e, damaged.Joined());
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].bytes, Payload(500, 0));
    EXPECT_EQ(rest[1].bytes, Payload(500, 2));
}

TEST(MpegTs, PesEndsAtItsLengthTheNextStartOrTheEnd) {
    TsWriter w;
    w.Pat(kPmt);
    w.Pmt(kPmt, {{0x0F, kAudio}});
    w.Pes(kAudio, Payload(300, 0), 10, false);
    w.Pes(kAudio, Payload(300, 1), 20, false);
    MpegTsDemuxer d;
    std::vector<TsPayload> out;
    d.Push(w.Joined(), out);
    ASSERT_EQ(out.size(), 1u);  // the second may go on in the next packet
    d.Flush(out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].bytes, Payload(300, 1));

    // A stated length that the stream's end cuts short is dropped.
    TsWriter cut = ThreePes();
    cut.packets.pop_back();
    MpegTsDemuxer e;
    EXPECT_EQ(Demux(e, cut.Joined()).size(), 2u);
    EXPECT_EQ(e.DroppedPesPackets(), 1u);
}

TEST(MpegTs, Id3StreamGivesTagsAndResetForgetsTheProgram) {
    const Bytes tag = test::Id3TagBytes(test::Id3Frame("TIT2", test::Id3Latin1("Song")));
    TsWriter w;
    w.Pat(kPmt);
    w.Pmt(kPmt, {{0x15, 0x102}, {0x0F, kAudio}});
    w.Pes(kAudio, Payload(100, 0), 500);
    w.Pes(0x102, tag, 900, true, 0xBD);
    MpegTsDemuxer d;
    auto out = Demux(d, w.Joined());
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].kind, TsPayload::Kind::Id3);
    EXPECT_EQ(out[1].pts90k, 900u);
    EXPECT_EQ(out[1].bytes, tag);

    d.Reset();
    TsWriter more;
    more.Pes(kAudio, Payload(100, 0), 500);
    EXPECT_TRUE(Demux(d, more.Joined()).empty());
    EXPECT_EQ(d.State(), TsStreamState::Searching);
}

}  // namespace
}  // namespace zarvio::stream

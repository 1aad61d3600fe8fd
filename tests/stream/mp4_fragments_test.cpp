#include <gtest/gtest.h>

#include <string_view>

#include "player/stream/formats/mp4_fragments.h"
#include "stream/byte_writer.h"

namespace zarvio::stream {
namespace {

using test::Bytes;
using test::Cat;
using test::PutBE;

Bytes Box(std::string_view type, const Bytes& payload) {
    Bytes b;
    PutBE(b, 8 + payload.size(), 4);
    test::PutText(b, type);
    test::Append(b, payload);
    return b;
}
Bytes FullBox(std::string_view type, uint8_t version, uint32_t flags, const Bytes& payload) {
    Bytes b = {version};
    PutBE(b, flags, 3);
    test::Append(b, payload);
    return Box(type, b);
}
Bytes BE(uint64_t value, int bytes) {
    Bytes b;
    PutBE(b, value, bytes);
    return b;
}
// A descriptor of an esds, its length written in lengthBytes bytes of 7 bits.
Bytes Descriptor(uint8_t tag, const Bytes& body, int lengthBytes = 1) {
    Bytes d = {tag};
    for (int i = lengthBytes - 1; i >= 0; --i) d.push_back(uint8_t((body.size() >> (7 * i) & 0x7F) | (i ? 0x80 : 0)));
    test::Append(d, body);
    return d;
}
// `leading` goes before the decoder configuration, as descriptors the reader must step over.
Bytes Esds(const Bytes& config, uint8_t objectType = 0x40, int lengthBytes = 1, const Bytes& leading = {}) {
    Bytes decoder = {objectType, 0x15, 0, 0, 0};
    test::Append(decoder, Bytes(8, 0));
    test::Append(decoder, Descriptor(0x05, config, lengthBytes));
    Bytes es = {0x00, 0x01, 0x00};
    test::Append(es, leading);
    test::Append(es, Descriptor(0x04, decoder, lengthBytes));
    return FullBox("esds", 0, 0, Descriptor(0x03, es, lengthBytes));
}
Bytes Mp4a(const Bytes& esds, uint16_t soundVersion = 0) {
    Bytes b(6, 0);
    test::Append(b, BE(1, 2));            // data reference index
    test::Append(b, BE(soundVersion, 2));
    test::Append(b, Bytes(6, 0));
    test::Append(b, {0, 2, 0, 16, 0, 0, 0, 0});  // channels, sample size, two zero fields
    test::Append(b, BE(48000u << 16, 4));
    if (soundVersion == 1) test::Append(b, Bytes(16, 0));
    test::Append(b, esds);
    return Box("mp4a", b);
}
Bytes Trak(uint32_t id, std::string_view handler, const Bytes& sampleEntry, uint32_t timescale = 48000) {
    const Bytes tkhd = FullBox("tkhd", 0, 3, Cat({BE(0, 8), BE(id, 4), Bytes(68, 0)}));
    const Bytes mdhd = FullBox("mdhd", 0, 0, Cat({BE(0, 8), BE(timescale, 4), BE(0, 8)}));
    Bytes hdlrBody = BE(0, 4);
    test::PutText(hdlrBody, handler);
    test::Append(hdlrBody, Bytes(13, 0));
    const Bytes stsd = FullBox("stsd", 0, 0, Cat({BE(1, 4), sampleEntry}));
    const Bytes minf = Box("minf", Box("stbl", stsd));
    return Box("trak", Cat({tkhd, Box("mdia", Cat({mdhd, FullBox("hdlr", 0, 0, hdlrBody), minf}))}));
}
Bytes Trex(uint32_t id, uint32_t duration, uint32_t size) {
    return FullBox("trex", 0, 0, Cat({BE(id, 4), BE(1, 4), BE(duration, 4), BE(size, 4), BE(0, 4)}));
}
Bytes Init(const Bytes& traks, const Bytes& mvex = {}) {
    return Cat({Box("ftyp", {'i', 's', 'o', '6', 0, 0, 0, 0}), Box("moov", Cat({traks, mvex}))});
}

// An AudioSpecificConfig from (value, bits) fields.
Bytes Asc(std::initializer_list<std::pair<uint32_t, int>> fields) {
    Bytes out;
    int used = 0;
    for (auto [value, bits] : fields) {
        for (int i = bits - 1; i >= 0; --i) {
            if (used % 8 == 0) out.push_back(0);
            out.back() |= uint8_t((value >> i & 1) << (7 - used % 8));
            ++used;
        }
    }
    return out;
}
const Bytes kLcStereo44 = Asc({{2, 5}, {4, 4}, {2, 4}});

TEST(Mp4Fragments, InitGivesTheSoundTrackItsConfigAndDefaults) {
    const Bytes video = Trak(1, "vide", Box("avc1", Bytes(78, 0)));
    // QuickTime sound description version 1; descriptor lengths in four bytes each, and one of
    // them above 127 in a descriptor to step over.
    const Bytes skipped = Descriptor(0x0A, Bytes(200, 0x04), 4);
    const Bytes sound = Trak(2, "soun", Mp4a(Esds(kLcStereo44, 0x40, 4, skipped), 1), 44100);
    const auto r = ReadMp4Init(Init(Cat({video, sound}), Box("mvex", Cat({Trex(1, 7, 7), Trex(2, 1024, 300)}))));
    ASSERT_EQ(r.status, Mp4Status::Ok);
    EXPECT_EQ(r.track.trackId, 2u);
    EXPECT_EQ(r.track.timescale, 44100u);
    EXPECT_EQ(r.track.codec, AudioCodec::Aac);
    EXPECT_EQ(r.track.aac.audioObjectType, 2);
    EXPECT_EQ(r.track.aac.sampleRateIndex, 4);
    EXPECT_EQ(r.track.aac.channelConfig, 2);
    EXPECT_EQ(r.track.defaultSampleDuration, 1024u);
    EXPECT_EQ(r.track.defaultSampleSize, 300u);
}

TEST(Mp4Fragments, OnlyAudioThatAdtsCanCarryIsAccepted) {
    // HE-AAC signalled explicitly: 24 kHz core, 48 kHz extension, then the LC core type.
    const auto he = ReadAudioSpecificConfig(Asc({{5, 5}, {6, 4}, {2, 4}, {3, 4}, {2, 5}}));
    ASSERT_TRUE(he);
    EXPECT_EQ(he->audioObjectType, 2);
    EXPECT_EQ(he->sampleRateIndex, 6);
    EXPECT_FALSE(ReadAudioSpecificConfig(Asc({{2, 5}, {15, 4}, {44100, 24}, {2, 4}})));  // explicit rate
    EXPECT_FALSE(ReadAudioSpecificConfig(Asc({{2, 5}, {4, 4}, {0, 4}})));  // channels in a PCE
    EXPECT_FALSE(ReadAudioSpecificConfig(Asc({{31, 5}, {10, 6}, {4, 4}, {2, 4}})));  // USAC (42)
    EXPECT_FALSE(ReadAudioSpecificConfig(Bytes{0x12}));

    const struct { Bytes init; Mp4Status status; } cases[] = {
        {Init(Trak(1, "soun", Mp4a(Esds(Asc({{2, 5}, {4, 4}, {0, 4}}))))), Mp4Status::Unsupported},
        {Init(Trak(1, "soun", Mp4a(Esds(kLcStereo44, 0xA9)))), Mp4Status::Unsupported},  // DTS
        {Init(Trak(1, "soun", Box("Opus", Bytes(28, 0)))), Mp4Status::Unsupported},
        {Init(Trak(1, "vide", Box("avc1", Bytes(78, 0)))), Mp4Status::NoAudioTrack},
        {Init(Trak(1, "soun", Mp4a(Esds({}, 0x6B)))), Mp4Status::Ok},  // MPEG-1 audio
    };
    for (const auto& c : cases) EXPECT_EQ(ReadMp4Init(c.init).status, c.status);
    EXPECT_EQ(ReadMp4Init(cases[4].init).track.codec, AudioCodec::MpegAudio);

    // A child that claims more than its parent holds.
    Bytes overrun = Init(Trak(1, "soun", Mp4a(Esds(kLcStereo44))));
    const size_t mdhd = std::string_view(reinterpret_cast<const char*>(overrun.data()), overrun.size()).find("mdhd");
    overrun[mdhd - 1] += 100;
    EXPECT_EQ(ReadMp4Init(overrun).status, Mp4Status::Malformed);
}

TEST(Mp4Fragments, AdtsHeaderCarriesTheConfigAndTheFrameLength) {
    const auto h = AdtsHeaderFor({1, 11, 7}, 100);  // AAC Main, 8 kHz, 7.1
    ASSERT_TRUE(h);
    const Bytes b(h->begin(), h->end());
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1] & 0xF6, 0xF0);            // sync, MPEG-4, layer 0
    EXPECT_EQ(b[1] & 0x01, 1);               // no CRC
    EXPECT_EQ(b[2] >> 6, 0);                 // profile = object type - 1
    EXPECT_EQ(b[2] >> 2 & 0x0F, 11);
    EXPECT_EQ((b[2] & 1) << 2 | b[3] >> 6, 7);
    EXPECT_EQ((b[3] & 3) << 11 | b[4] << 3 | b[5] >> 5, 107);
    EXPECT_EQ(b[6] & 0x03, 0);               // one raw data block
    EXPECT_TRUE(AdtsHeaderFor(AacConfig{2, 4, 2}, 8191 - 7));
    EXPECT_FALSE(AdtsHeaderFor(AacConfig{2, 4, 2}, 8191 - 6));
}

// A track fragment: tfhd with its optional fields already in `fields`, tfdt, then truns.
Bytes Traf(uint32_t tfhdFlags, uint32_t trackId, const Bytes& fields, uint64_t decodeTime, const Bytes& truns) {
    return Box("traf", Cat({FullBox("tfhd", 0, tfhdFlags, Cat({BE(trackId, 4), fields})),
                            FullBox("tfdt", 1, 0, BE(decodeTime, 8)), truns}));
}
// A trun with per-sample sizes (and durations, when given).
Bytes Trun(std::optional<int32_t> dataOffset, const std::vector<uint32_t>& sizes, uint32_t count = 0,
           const std::vector<uint32_t>& durations = {}) {
    uint32_t flags = (dataOffset ? 0x1 : 0) | (sizes.empty() ? 0 : 0x200) | (durations.empty() ? 0 : 0x100);
    Bytes b = BE(sizes.empty() ? count : sizes.size(), 4);
    if (dataOffset) test::Append(b, BE(uint32_t(*dataOffset), 4));
    for (size_t i = 0; i < std::max(sizes.size(), durations.size()); ++i) {
        if (!durations.empty()) test::Append(b, BE(durations[i], 4));
        if (!sizes.empty()) test::Append(b, BE(sizes[i], 4));
    }
    return FullBox("trun", 0, flags, b);
}
Bytes Moof(const Bytes& trafs) { return Box("moof", Cat({FullBox("mfhd", 0, 0, BE(1, 4)), trafs})); }
// An mdat whose n-th sample of the given sizes is filled with the byte `first + n`.
Bytes Mdat(const std::vector<uint32_t>& sizes, uint8_t first) {
    Bytes b;
    for (size_t i = 0; i < sizes.size(); ++i) b.insert(b.end(), sizes[i], uint8_t(first + i));
    return Box("mdat", b);
}

Mp4AudioTrack Track() {
    Mp4AudioTrack t;
    t.trackId = 2;
    t.timescale = 48000;
    t.aac = {2, 3, 2};
    t.defaultSampleDuration = 960;
    t.defaultSampleSize = 2;
    return t;
}

void ExpectSample(const Bytes& segment, const Mp4Sample& s, size_t size, uint8_t fill, uint64_t time) {
    EXPECT_EQ(s.size, size);
    EXPECT_EQ(s.decodeTime, time);
    ASSERT_LE(s.offset + s.size, segment.size());
    for (size_t i = 0; i < s.size; ++i) ASSERT_EQ(segment[s.offset + i], fill) << "sample at " << s.offset;
}

TEST(Mp4Fragments, SampleRangesFollowTrunThenTfhdThenTrex) {
    // 1: no base flags. The other track's fragment starts at the moof plus its data offset; ours
    // follows that fragment's data, sizes and durations from its trun.
    auto first = [](int32_t offset) {
        return Moof(Cat({Traf(0, 9, {}, 0, Trun(offset, {4, 4})),
                         Traf(0, 2, {}, 0x1'00000000ULL, Trun(std::nullopt, {3, 6}, 0, {1000, 1024}))}));
    };
    const Bytes moof1 = first(int32_t(first(0).size() + 8));
    const Bytes mdat1 = Mdat({4, 4, 3, 6}, 0x10);
    // 2: default-base-is-moof, also for our fragment after another track's; sizes and
    // durations from tfhd's defaults.
    auto second = [](int32_t offset) {
        return Moof(Cat({Traf(0x020000, 9, {}, 0, Trun(offset, {5})),
                         Traf(0x020018, 2, Cat({BE(1024, 4), BE(7, 4)}), 5000, Trun(offset + 5, {}, 2))}));
    };
    const Bytes moof2 = second(int32_t(second(0).size() + 8));
    const Bytes mdat2 = Mdat({5, 7, 7}, 0x20);
    // 3: an explicit base-data-offset; sizes and durations from trex.
    auto third = [](uint64_t base) { return Moof(Traf(1, 2, BE(base, 8), 70, Trun(std::nullopt, {}, 3))); };
    const Bytes moof3 = third(moof1.size() + mdat1.size() + moof2.size() + mdat2.size() + third(0).size() + 8);
    const Bytes mdat3 = Mdat({2, 2, 2}, 0x30);
    const Bytes real = Cat({moof1, mdat1, moof2, mdat2, moof3, mdat3});

    const auto r = ReadMp4Fragments(real, Track());
    EXPECT_EQ(r.status, Mp4Status::Ok);
    EXPECT_EQ(r.droppedSamples, 0u);
    ASSERT_EQ(r.samples.size(), 7u);
    ExpectSample(real, r.samples[0], 3, 0x12, 0x1'00000000ULL);
    ExpectSample(real, r.samples[1], 6, 0x13, 0x1'00000000ULL + 1000);
    ExpectSample(real, r.samples[2], 7, 0x21, 5000);
    ExpectSample(real, r.samples[3], 7, 0x22, 5000 + 1024);
    ExpectSample(real, r.samples[4], 2, 0x30, 70);
    ExpectSample(real, r.samples[5], 2, 0x31, 70 + 960);
    ExpectSample(real, r.samples[6], 2, 0x32, 70 + 2 * 960);

    // Every AAC sample becomes an ADTS frame: header, then the sample's bytes.
    Bytes es;
    EXPECT_EQ(AppendElementaryStream(real, Track(), r.samples, es), 7u);
    ASSERT_EQ(es.size(), 3 + 6 + 7 + 7 + 2 + 2 + 2 + 7 * 7u);
    EXPECT_EQ(Bytes(es.begin(), es.begin() + 2), (Bytes{0xFF, 0xF1}));
    EXPECT_EQ(Bytes(es.begin() + 7, es.begin() + 10), Bytes(3, 0x12));
    EXPECT_EQ(es[10], 0xFF);
}

TEST(Mp4Fragments, DamageCostsOnlyWhatItTouches) {
    auto moof = [](int32_t offset, const std::vector<uint32_t>& sizes) {
        return Moof(Traf(0x020000, 2, {}, 0, Trun(offset, sizes)));
    };
    const std::vector<uint32_t> sizes = {5, 5, 5};
    const Bytes good = Cat({moof(int32_t(moof(0, sizes).size() + 8), sizes), Mdat(sizes, 1)});

    // A traf claiming more than its moof: that moof is skipped, the next one is read.
    Bytes broken = good;
    broken[8 + 16 + 3] += 40;  // the traf's size (after the moof and mfhd headers)
    auto r = ReadMp4Fragments(Cat({broken, good}), Track());
    EXPECT_EQ(r.status, Mp4Status::Malformed);
    ASSERT_EQ(r.samples.size(), 3u);
    EXPECT_GE(r.samples[0].offset, broken.size());

    // A segment cut inside its mdat keeps the samples it holds whole.
    r = ReadMp4Fragments(std::span(good).first(good.size() - 3), Track());
    EXPECT_EQ(r.samples.size(), 2u);
    EXPECT_EQ(r.droppedSamples, 1u);

    // A sample count far beyond the box's table, or beyond the segment for default sizes.
    const Bytes huge = Moof(Traf(0x020000, 2, {}, 0, FullBox("trun", 0, 0x200, Cat({BE(0xFFFFFFFF, 4), BE(5, 4)}))));
    EXPECT_EQ(ReadMp4Fragments(huge, Track()).status, Mp4Status::Malformed);
    const Bytes manyDefaults = Moof(Traf(0x020010, 2, BE(1, 4), 0, Trun(std::nullopt, {}, 0xFFFFFFFF)));
    r = ReadMp4Fragments(manyDefaults, Track());
    EXPECT_EQ(r.status, Mp4Status::Malformed);
    EXPECT_TRUE(r.samples.empty());
}

TEST(Mp4Fragments, BoxSizesMayBe64BitOrRunToTheEndButNeverPastIt) {
    Bytes bytes = {0, 0, 0, 1, 'f', 'r', 'e', 'e'};
    PutBE(bytes, 20, 8);
    test::Append(bytes, {1, 2, 3, 4});
    test::Append(bytes, {0, 0, 0, 0, 'm', 'd', 'a', 't', 9, 9, 9});
    Mp4BoxReader reader(bytes);
    auto box = reader.Next();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->type, Mp4Type("free"));
    EXPECT_EQ(box->payload.size(), 4u);
    box = reader.Next();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->type, Mp4Type("mdat"));
    EXPECT_EQ(box->payload.size(), 3u);
    EXPECT_FALSE(reader.Next());
    EXPECT_FALSE(reader.Overrun());

    for (const Bytes& bad : {Bytes{0, 0, 0, 20, 'f', 'r', 'e', 'e'}, Bytes{0, 0, 0, 4, 'f', 'r', 'e', 'e'},
                             Bytes{0, 0, 0, 8, 'f', 'r'}}) {
        Mp4BoxReader r(bad);
        EXPECT_FALSE(r.Next());
        EXPECT_TRUE(r.Overrun());
    }
}

}  // namespace
}  // namespace zarvio::stream

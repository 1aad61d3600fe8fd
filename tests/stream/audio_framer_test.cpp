#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "player/stream/formats/audio_framer.h"

using namespace zarvio::stream;

namespace {

using Bytes = std::vector<uint8_t>;

// MPEG audio header fields as they are coded in the bits.
enum VersionBits { kMpeg25 = 0, kReservedVersion = 1, kMpeg2 = 2, kMpeg1 = 3 };
enum LayerBits { kLayerReserved = 0, kLayer3 = 1, kLayer2 = 2, kLayer1 = 3 };
enum ModeBits { kStereo = 0, kJointStereo = 1, kDual = 2, kMono = 3 };

struct MpegFields {
    int version = kMpeg1;
    int layer = kLayer3;
    int bitrateIndex = 9;
    int rateIndex = 0;
    int padding = 0;
    int mode = kJointStereo;
    int emphasis = 0;
    bool crc = false;
};

Bytes PackMpegHeader(const MpegFields& f) {
    return {0xFF, static_cast<uint8_t>(0xE0 | f.version << 3 | f.layer << 1 | (f.crc ? 0 : 1)),
            static_cast<uint8_t>(f.bitrateIndex << 4 | f.rateIndex << 2 | f.padding << 1),
            static_cast<uint8_t>(f.mode << 6 | f.emphasis)};
}

struct AdtsFields {
    int profile = 1;  // AAC LC
    int rateIndex = 4;
    int channels = 2;
    size_t length = 0;
    bool crc = false;
};

Bytes PackAdtsHeader(const AdtsFields& f) {
    Bytes h = {0xFF, static_cast<uint8_t>(0xF0 | (f.crc ? 0 : 1)),
               static_cast<uint8_t>(f.profile << 6 | f.rateIndex << 2 | f.channels >> 2),
               static_cast<uint8_t>((f.channels & 3) << 6 | (f.length >> 11 & 3)),
               static_cast<uint8_t>(f.length >> 3 & 0xFF),
               static_cast<uint8_t>((f.length & 7) << 5 | 0x1F),  // buffer fullness 0x7FF: VBR
               0xFC};
    if (f.crc) h.insert(h.end(), {0x12, 0x34});
    return h;
}

// A frame of the given whole length: the header, then payload that may hold anything,
// sync-like bytes included.
Bytes Frame(Bytes header, size_t length, std::mt19937& random) {
    while (header.size() < length) header.push_back(static_cast<uint8_t>(random() >> 24));
    return header;
}

Bytes Noise(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(random() >> 24);
    return b;
}

Bytes Join(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<Bytes> Drain(AudioFramer& framer) {
    std::vector<Bytes> frames;
    while (auto f = framer.Next()) frames.emplace_back(f->bytes.begin(), f->bytes.end());
    return frames;
}

// Pushes data in pieces of the given sizes (repeated), taking frames out after each.
std::vector<Bytes> FeedInPieces(AudioFramer& framer, const Bytes& data, std::vector<size_t> pieces) {
    std::vector<Bytes> frames;
    size_t at = 0;
    for (size_t k = 0; at < data.size(); ++k) {
        const size_t n = std::min(pieces[k % pieces.size()], data.size() - at);
        framer.Push({data.data() + at, n});
        at += n;
        for (Bytes& f : Drain(framer)) frames.push_back(std::move(f));
    }
    return frames;
}

std::vector<Bytes> FramesOf(const Bytes& data, std::vector<size_t> pieces = {1 << 30}) {
    AudioFramer framer;
    return FeedInPieces(framer, data, pieces);
}

// A stream of frames whose bitrate and padding change from frame to frame, as VBR streams do.
struct Coded {
    int bitrateIndex;
    int padding;
    size_t length;  // what the frame's length must be
};
std::vector<Bytes> MpegStream(MpegFields f, const std::vector<Coded>& coded, int count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<Bytes> frames;
    for (int i = 0; i < count; ++i) {
        const Coded& c = coded[i % coded.size()];
        f.bitrateIndex = c.bitrateIndex;
        f.padding = c.padding;
        frames.push_back(Frame(PackMpegHeader(f), c.length, random));
    }
    return frames;
}

// 128 kbps joint-stereo MPEG-1 Layer III at 44.1 kHz: 417 bytes, 418 with padding.
std::vector<Bytes> Mp3Stream(int count, uint32_t seed = 1) {
    std::mt19937 random(seed);
    std::vector<Bytes> frames;
    for (int i = 0; i < count; ++i) {
        MpegFields f;
        f.padding = i % 3 == 0;
        frames.push_back(Frame(PackMpegHeader(f), f.padding ? 418 : 417, random));
    }
    return frames;
}

std::vector<Bytes> AdtsStream(int count, bool crc, uint32_t seed = 2) {
    std::mt19937 random(seed);
    std::vector<Bytes> frames;
    for (int i = 0; i < count; ++i) {
        AdtsFields f;
        f.crc = crc;
        f.length = 200 + (i * 37) % 300;
        frames.push_back(Frame(PackAdtsHeader(f), f.length, random));
    }
    return frames;
}

std::vector<Bytes> Slice(const std::vector<Bytes>& v, size_t from, size_t to) {
    return {v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(to)};
}

}  // namespace

TEST(MpegAudioHeader, FrameLengthsFollowLayerAndVersion) {
    struct Case {
        MpegFields fields;
        int kbps, rate, channels, samples;
        size_t bytes;
    };
    const Case cases[] = {
        {{kMpeg1, kLayer3, 9, 0, 0, kJointStereo}, 128, 44100, 2, 1152, 417},
        {{kMpeg1, kLayer3, 9, 0, 1, kStereo}, 128, 44100, 2, 1152, 418},
        {{kMpeg1, kLayer3, 14, 1, 0, kDual}, 320, 48000, 2, 1152, 960},
        {{kMpeg1, kLayer3, 1, 2, 0, kMono}, 32, 32000, 1, 1152, 144},
        {{kMpeg1, kLayer2, 10, 1, 0, kStereo}, 192, 48000, 2, 1152, 576},
        {{kMpeg1, kLayer2, 14, 2, 1, kStereo}, 384, 32000, 2, 1152, 1729},
        {{kMpeg1, kLayer1, 12, 0, 0, kStereo}, 384, 44100, 2, 384, 416},
        {{kMpeg1, kLayer1, 12, 0, 1, kStereo}, 384, 44100, 2, 384, 420},  // a padding slot is 4 bytes
        {{kMpeg1, kLayer1, 14, 1, 0, kMono}, 448, 48000, 1, 384, 448},
        {{kMpeg2, kLayer3, 8, 0, 0, kJointStereo}, 64, 22050, 2, 576, 208},
        {{kMpeg2, kLayer3, 8, 0, 1, kJointStereo}, 64, 22050, 2, 576, 209},
        {{kMpeg2, kLayer3, 14, 1, 0, kStereo}, 160, 24000, 2, 576, 480},
        {{kMpeg2, kLayer2, 14, 2, 0, kStereo}, 160, 16000, 2, 1152, 1440},
        {{kMpeg2, kLayer1, 14, 1, 0, kStereo}, 256, 24000, 2, 384, 512},
        {{kMpeg25, kLayer3, 1, 2, 0, kMono}, 8, 8000, 1, 576, 72},
        {{kMpeg25, kLayer3, 8, 0, 0, kStereo}, 64, 11025, 2, 576, 417},
        {{kMpeg25, kLayer2, 14, 2, 0, kStereo}, 160, 8000, 2, 1152, 2880},
    };
    const int versions[] = {25, 0, 20, 10};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version bits " << c.fields.version << " layer bits " << c.fields.layer
                                        << " bitrate " << c.kbps);
        const Bytes header = PackMpegHeader(c.fields);
        const auto h = ParseMpegAudioHeader(header);
        ASSERT_TRUE(h.has_value());
        EXPECT_EQ(h->version, versions[c.fields.version]);
        EXPECT_EQ(h->layer, 4 - c.fields.layer);
        EXPECT_EQ(h->bitrateKbps, c.kbps);
        EXPECT_EQ(h->sampleRate, c.rate);
        EXPECT_EQ(h->channels, c.channels);
        EXPECT_EQ(h->samplesPerFrame, c.samples);
        EXPECT_EQ(h->frameBytes, c.bytes);
    }
    // A CRC does not change the length.
    MpegFields crc;
    crc.crc = true;
    EXPECT_EQ(ParseMpegAudioHeader(PackMpegHeader(crc))->frameBytes, 417u);
}

TEST(MpegAudioHeader, ReservedAndUnsupportedCodesAreNoHeader) {
    auto parses = [](auto change) {
        MpegFields f;
        change(f);
        return ParseMpegAudioHeader(PackMpegHeader(f)).has_value();
    };
    EXPECT_TRUE(parses([](MpegFields&) {}));
    EXPECT_FALSE(parses([](MpegFields& f) { f.bitrateIndex = 15; }));
    EXPECT_FALSE(parses([](MpegFields& f) { f.bitrateIndex = 0; }));  // free format
    EXPECT_FALSE(parses([](MpegFields& f) { f.rateIndex = 3; }));
    EXPECT_FALSE(parses([](MpegFields& f) { f.layer = kLayerReserved; }));
    EXPECT_FALSE(parses([](MpegFields& f) { f.version = kReservedVersion; }));
    EXPECT_FALSE(parses([](MpegFields& f) { f.emphasis = 2; }));
    EXPECT_TRUE(parses([](MpegFields& f) { f.emphasis = 3; }));
    const Bytes good = PackMpegHeader({});
    EXPECT_FALSE(ParseMpegAudioHeader(std::span(good).first(3)).has_value());
    EXPECT_FALSE(ParseMpegAudioHeader(Bytes{0xFF, 0x1B, 0x90, 0x44}).has_value());  // 8 sync bits only
    EXPECT_FALSE(ParseMpegAudioHeader(Bytes{0x7F, 0xFB, 0x90, 0x44}).has_value());
    // An ADTS header is not an MPEG audio header.
    EXPECT_FALSE(ParseMpegAudioHeader(PackAdtsHeader({1, 4, 2, 300, false})).has_value());
}

TEST(AdtsHeader, FieldsAndLimits) {
    const auto lc = ParseAdtsHeader(PackAdtsHeader({1, 4, 2, 371, false}));
    ASSERT_TRUE(lc.has_value());
    EXPECT_EQ(lc->audioObjectType, 2);
    EXPECT_EQ(lc->sampleRateIndex, 4);
    EXPECT_EQ(lc->sampleRate, 44100);
    EXPECT_EQ(lc->channelConfig, 2);
    EXPECT_FALSE(lc->hasCrc);
    EXPECT_EQ(lc->headerBytes, 7u);
    EXPECT_EQ(lc->frameBytes, 371u);

    const auto crc = ParseAdtsHeader(PackAdtsHeader({1, 6, 1, 8191, true}));
    ASSERT_TRUE(crc.has_value());
    EXPECT_TRUE(crc->hasCrc);
    EXPECT_EQ(crc->headerBytes, 9u);
    EXPECT_EQ(crc->frameBytes, 8191u);
    EXPECT_EQ(crc->sampleRate, 24000);
    EXPECT_EQ(crc->channelConfig, 1);

    EXPECT_EQ(ParseAdtsHeader(PackAdtsHeader({0, 3, 7, 100, false}))->audioObjectType, 1);  // Main
    EXPECT_EQ(ParseAdtsHeader(PackAdtsHeader({1, 3, 7, 100, false}))->channelConfig, 7);
    EXPECT_EQ(ParseAdtsHeader(PackAdtsHeader({1, 12, 2, 100, false}))->sampleRate, 7350);
    EXPECT_EQ(ParseAdtsHeader(PackAdtsHeader({1, 0, 2, 100, false}))->sampleRate, 96000);
    EXPECT_FALSE(ParseAdtsHeader(PackAdtsHeader({1, 13, 2, 100, false})).has_value());
    EXPECT_FALSE(ParseAdtsHeader(PackAdtsHeader({1, 15, 2, 100, false})).has_value());
    EXPECT_FALSE(ParseAdtsHeader(PackAdtsHeader({1, 4, 0, 100, false})).has_value());  // configuration in the stream
    EXPECT_TRUE(ParseAdtsHeader(PackAdtsHeader({1, 4, 2, 7, false})).has_value());
    EXPECT_FALSE(ParseAdtsHeader(PackAdtsHeader({1, 4, 2, 6, false})).has_value());
    EXPECT_TRUE(ParseAdtsHeader(PackAdtsHeader({1, 4, 2, 9, true})).has_value());
    EXPECT_FALSE(ParseAdtsHeader(PackAdtsHeader({1, 4, 2, 8, true})).has_value());

    Bytes layered = PackAdtsHeader({1, 4, 2, 300, false});
    layered[1] |= 0x02;  // a layer other than 0
    EXPECT_FALSE(ParseAdtsHeader(layered).has_value());
    const Bytes good = PackAdtsHeader({1, 4, 2, 300, false});
    EXPECT_FALSE(ParseAdtsHeader(std::span(good).first(6)).has_value());
    EXPECT_FALSE(ParseAdtsHeader(PackMpegHeader({})).has_value());
}

TEST(AudioFramer, EveryFrameOfAStreamOnceItsSuccessorsHeaderIsThere) {
    struct Stream {
        const char* name;
        std::vector<Bytes> frames;
    };
    const std::vector<Stream> streams = {
        {"MPEG-1 Layer III", Mp3Stream(20)},
        {"MPEG-1 Layer III VBR",
         MpegStream({kMpeg1, kLayer3}, {{9, 0, 417}, {14, 1, 1045}, {1, 0, 104}, {11, 1, 627}}, 20, 3)},  // 128/320/32/192 kbps
        {"MPEG-2 Layer III", MpegStream({kMpeg2, kLayer3, 0, 0}, {{8, 0, 208}, {8, 1, 209}, {14, 0, 522}}, 20, 4)},
        {"MPEG-2.5 Layer III mono", MpegStream({kMpeg25, kLayer3, 0, 2, 0, kMono}, {{1, 0, 72}, {2, 0, 144}}, 20, 5)},
        {"MPEG-1 Layer II", MpegStream({kMpeg1, kLayer2, 0, 1}, {{10, 0, 576}, {14, 0, 1152}}, 20, 6)},
        {"MPEG-1 Layer I", MpegStream({kMpeg1, kLayer1, 0, 0}, {{12, 0, 416}, {12, 1, 420}}, 20, 7)},
        {"ADTS", AdtsStream(20, false)},
        {"ADTS with CRC", AdtsStream(20, true)},
    };
    for (const Stream& s : streams) {
        SCOPED_TRACE(s.name);
        const Bytes data = Join(s.frames);
        // The last frame has no successor yet: it is held back.
        const std::vector<Bytes> expected = Slice(s.frames, 0, s.frames.size() - 1);
        AudioFramer framer;
        framer.Push(data);
        std::vector<AudioFrame> frames;
        while (auto f = framer.Next()) frames.push_back(*f);
        ASSERT_EQ(frames.size(), expected.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(Bytes(frames[i].bytes.begin(), frames[i].bytes.end()), expected[i]) << i;
            const bool aac = std::string_view(s.name).starts_with("ADTS");
            EXPECT_EQ(frames[i].codec, aac ? AudioCodec::Aac : AudioCodec::MpegAudio);
            EXPECT_EQ(aac ? frames[i].adts.frameBytes : frames[i].mpeg.frameBytes, expected[i].size());
        }
        EXPECT_EQ(framer.SkippedBytes(), 0u);
        EXPECT_EQ(FramesOf(data, {1}), expected);
        EXPECT_EQ(FramesOf(data, {3, 1, 500, 7, 2}), expected);
        // The next header lets the last frame out.
        framer.Push(std::span(s.frames[0]).first(7));
        const auto last = framer.Next();
        ASSERT_TRUE(last.has_value());
        EXPECT_EQ(Bytes(last->bytes.begin(), last->bytes.end()), s.frames.back());
    }
}

TEST(AudioFramer, NoiseGivesNoFrames) {
    const Bytes noise = Noise(256 * 1024, 12345);
    AudioFramer framer;
    EXPECT_TRUE(FeedInPieces(framer, noise, {1, 4096, 13, 700, 2}).empty());
    // Everything but a possible header waiting for its frame's end was looked at and skipped.
    EXPECT_GT(framer.SkippedBytes(), noise.size() - 8192 - 9);
    EXPECT_LE(framer.SkippedBytes(), noise.size());
}

TEST(AudioFramer, NoiseThenMp3LocksWithinAFewFrames) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        const std::vector<Bytes> mp3 = Mp3Stream(30, seed);
        const Bytes noise = Noise(16 * 1024 + seed * 131, seed);
        const Bytes data = Join({noise, Join(mp3)});
        const std::vector<Bytes> frames = FramesOf(data, {1000 + seed});
        ASSERT_GE(frames.size(), 26u);  // 29 can come out
        EXPECT_EQ(frames, Slice(mp3, 29 - frames.size(), 29));
    }
}

TEST(AudioFramer, Id3TagsAreSkippedByTheirSize) {
    // A tag whose body holds frames of another kind (as a tag's picture may) is skipped whole.
    const std::vector<Bytes> inner = MpegStream({kMpeg2, kLayer3, 0, 0}, {{8, 0, 208}}, 4, 11);
    Bytes body = Join({Bytes{'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0}, Join(inner)});
    body.resize(1000, 0);
    const size_t size = body.size();
    const Bytes tag = Join({Bytes{'I', 'D', '3', 4, 0, 0x00, 0, 0, static_cast<uint8_t>(size >> 7),
                                  static_cast<uint8_t>(size & 0x7F)},
                            body});
    // Version 4 with the footer flag: ten more bytes after the body.
    Bytes footer = {'3', 'D', 'I', 4, 0, 0x10, 0, 0, 0, 10};
    const Bytes tagWithFooter =
        Join({Bytes{'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 10}, Noise(10, 5), footer});

    const std::vector<Bytes> song1 = Mp3Stream(8, 21);
    const std::vector<Bytes> song2 = Mp3Stream(8, 22);
    const Bytes data = Join({tag, Join(song1), tagWithFooter, Join(song2)});
    // A tag between two songs stands for the next header of the first song's last frame.
    std::vector<Bytes> expected = song1;
    for (size_t i = 0; i + 1 < song2.size(); ++i) expected.push_back(song2[i]);
    for (std::vector<size_t> pieces : std::vector<std::vector<size_t>>{{1 << 30}, {1}, {5, 9, 1}}) {
        AudioFramer framer;
        EXPECT_EQ(FeedInPieces(framer, data, pieces), expected);
        EXPECT_EQ(framer.SkippedBytes(), 0u);
    }
}

TEST(AudioFramer, LockedFormatHoldsAndResyncsAfterDamage) {
    std::vector<Bytes> first = Mp3Stream(10, 31);
    MpegFields other;
    other.rateIndex = 1;  // 48 kHz: 384 bytes at 128 kbps
    // Two frames of each other format: headers that may be found in damage, but no run of
    // frames that could take the lock over.
    const std::vector<Bytes> otherRate = MpegStream(other, {{9, 0, 384}}, 2, 32);
    MpegFields mono;
    mono.mode = kMono;
    const std::vector<Bytes> otherChannels = MpegStream(mono, {{9, 0, 417}}, 2, 33);
    const std::vector<Bytes> otherLayer = MpegStream({kMpeg1, kLayer2, 0, 0}, {{9, 0, 417}}, 2, 34);
    const std::vector<Bytes> aac = AdtsStream(2, false, 35);
    std::vector<Bytes> last = Mp3Stream(10, 36);
    // Damage inside the last stretch: a header broken and junk between two frames.
    last[4][1] = 0x00;
    const Bytes junk = Noise(37, 37);
    const Bytes data = Join({Join(first), Join(otherRate), Join(otherChannels), Join(otherLayer), Join(aac),
                             Join(Slice(last, 0, 7)), junk, Join(Slice(last, 7, 10))});

    // The frames of another format give nothing, nor does each frame not followed by a header
    // of its stream where it ends.
    std::vector<Bytes> expected = Slice(first, 0, 9);
    for (size_t i : {0, 1, 2, 5, 7, 8}) expected.push_back(last[i]);
    size_t skipped = first[9].size() + last[3].size() + last[4].size() + last[6].size() + junk.size();
    for (const auto* group : {&otherRate, &otherChannels, &otherLayer, &aac}) {
        for (const Bytes& f : *group) skipped += f.size();
    }
    for (std::vector<size_t> pieces : std::vector<std::vector<size_t>>{{1 << 30}, {1}, {100, 3}}) {
        AudioFramer framer;
        EXPECT_EQ(FeedInPieces(framer, data, pieces), expected);
        EXPECT_EQ(framer.SkippedBytes(), skipped);
    }
    // Alone, the other format is taken as it comes.
    const std::vector<Bytes> alone = MpegStream(other, {{9, 0, 384}}, 6, 32);
    EXPECT_EQ(FramesOf(Join(alone)), Slice(alone, 0, 5));
}

TEST(AudioFramer, AStreamThatChangesItsFormatIsFollowedAfterAFewKilobytes) {
    // 44.1 kHz MP3, then 48 kHz on the same connection (another encoder took over), then ADTS.
    const std::vector<Bytes> first = Mp3Stream(20, 41);
    MpegFields other;
    other.rateIndex = 1;
    const std::vector<Bytes> second = MpegStream(other, {{9, 0, 384}}, 20, 42);
    const std::vector<Bytes> third = AdtsStream(20, false, 43);
    const Bytes data = Join({Join(first), Join(second), Join(third)});
    for (std::vector<size_t> pieces : std::vector<std::vector<size_t>>{{1 << 30}, {1}, {700, 3}}) {
        AudioFramer framer;
        std::vector<Bytes> got;
        std::vector<size_t> starts;  // where a frame said it began a new format
        size_t at = 0;
        for (size_t k = 0; at < data.size(); ++k) {
            const size_t n = std::min(pieces[k % pieces.size()], data.size() - at);
            framer.Push({data.data() + at, n});
            at += n;
            while (auto f = framer.Next()) {
                if (f->newFormat) starts.push_back(got.size());
                got.emplace_back(f->bytes.begin(), f->bytes.end());
            }
        }
        // The last frame of each stretch has no header of its own after it; then the new
        // format's frames count once kRelockBytes went by without one of the old.
        std::vector<Bytes> expected = Slice(first, 0, 19);
        const size_t secondFrom = (kRelockBytes - first[19].size() + 383) / 384;  // 5 frames of 48 kHz
        for (size_t i = secondFrom; i < 19; ++i) expected.push_back(second[i]);
        size_t skipped = second[19].size();
        size_t thirdFrom = 0;
        while (skipped < kRelockBytes) skipped += third[thirdFrom++].size();
        for (size_t i = thirdFrom; i < 19; ++i) expected.push_back(third[i]);
        ASSERT_EQ(got, expected);
        EXPECT_EQ(starts, (std::vector<size_t>{0, 19, 19 + 19 - secondFrom}));
    }
}

TEST(AudioFramer, FlushGivesAFilesLastFrameButNothingHalfOrUnlocked) {
    const std::vector<Bytes> mp3 = Mp3Stream(5);
    AudioFramer framer;
    framer.Push(Join(mp3));
    EXPECT_EQ(Drain(framer).size(), 4u);
    auto last = framer.Flush();
    ASSERT_TRUE(last);
    EXPECT_EQ(Bytes(last->bytes.begin(), last->bytes.end()), mp3[4]);
    EXPECT_FALSE(framer.Flush()) << "once only";

    AudioFramer cut;
    cut.Push(Join(mp3));
    Drain(cut);
    cut.Reset();
    cut.Push(std::span(mp3[0]).first(300));
    EXPECT_FALSE(cut.Flush()) << "a lone header of an unlocked stream proves nothing";
    AudioFramer half;
    half.Push(Join(Slice(mp3, 0, 3)));
    half.Push(std::span(mp3[3]).first(300));
    EXPECT_EQ(Drain(half).size(), 3u);
    EXPECT_FALSE(half.Flush()) << "the cut frame at the end stays out";
}

TEST(AudioFramer, ResetForgetsTheBytesAndTheLockedFormat) {
    const std::vector<Bytes> mp3 = Mp3Stream(5);
    const std::vector<Bytes> aac = AdtsStream(5, true);
    AudioFramer framer;
    framer.Push(Join(mp3));
    EXPECT_EQ(Drain(framer).size(), 4u);
    framer.Push(Noise(3000, 4));
    Drain(framer);
    EXPECT_GT(framer.SkippedBytes(), 0u);
    framer.Push(std::span(mp3[0]).first(200));  // half a frame from the old connection
    framer.Reset();
    EXPECT_EQ(framer.SkippedBytes(), 0u);
    framer.Push(Join(aac));
    EXPECT_EQ(Drain(framer), Slice(aac, 0, 4));
    EXPECT_EQ(framer.SkippedBytes(), 0u);
}

// The demuxers on media that ffmpeg made at test time: the audio they give must be the very
// elementary stream the encoder wrote before it was put into the container.
#include <gtest/gtest.h>

#include <string>

#include "player/stream/formats/mp4_fragments.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"
#include "player/stream/formats/segment_format.h"
#include "support/stream_world.h"

namespace zarvio::stream {
namespace {

std::span<const uint8_t> BytesOf(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(SegmentMedia, TransportStreamsGiveTheEncodedFramesBack) {
    for (const auto& [ts, es, codec] : {std::tuple{L"segments\\tone_aac.ts", L"segments\\tone.aac", AudioCodec::Aac},
                                        std::tuple{L"segments\\tone_mp2.ts", L"segments\\tone.mp2", AudioCodec::MpegAudio}}) {
        const std::string stream = test::ReadMedia(ts), expected = test::ReadMedia(es);
        if (stream.empty() || expected.empty()) GTEST_SKIP() << "no segment media (ctest makes it)";
        EXPECT_EQ(SniffSegment(BytesOf(stream)), SegmentFormat::TransportStream);
        MpegTsDemuxer demuxer;
        std::vector<TsPayload> out;
        // As the network hands it over: pieces that split packets.
        for (size_t at = 0; at < stream.size(); at += 1000) {
            demuxer.Push(BytesOf(stream).subspan(at, std::min<size_t>(1000, stream.size() - at)), out);
        }
        demuxer.Flush(out);
        EXPECT_EQ(demuxer.Codec(), codec);
        std::string audio;
        uint64_t lastPts = 0;
        for (const TsPayload& p : out) {
            audio.append(reinterpret_cast<const char*>(p.bytes.data()), p.bytes.size());
            ASSERT_TRUE(p.pts90k);
            EXPECT_GT(*p.pts90k, lastPts);
            lastPts = *p.pts90k;
        }
        EXPECT_TRUE(audio == expected) << audio.size() << " of " << expected.size() << " bytes";
        EXPECT_EQ(demuxer.DroppedPesPackets(), 0u);
    }
}

TEST(SegmentMedia, FragmentedMp4GivesTheEncodedAdtsFramesBack) {
    const std::string init = test::ReadMedia(L"segments\\init.mp4"), expected = test::ReadMedia(L"segments\\tone.aac");
    if (init.empty() || expected.empty()) GTEST_SKIP() << "no segment media (ctest makes it)";
    const Mp4InitResult r = ReadMp4Init(BytesOf(init));
    ASSERT_EQ(r.status, Mp4Status::Ok);
    EXPECT_EQ(r.track.timescale, 44100u);
    EXPECT_EQ(r.track.aac.channelConfig, 2);
    std::vector<uint8_t> audio;
    uint64_t samples = 0;
    int segments = 0;
    for (;; ++segments) {
        const std::string segment = test::ReadMedia(L"segments\\seg" + std::to_wstring(segments) + L".m4s");
        if (segment.empty()) break;
        EXPECT_EQ(SniffSegment(BytesOf(segment)), SegmentFormat::FragmentedMp4);
        const Mp4FragmentResult f = ReadMp4Fragments(BytesOf(segment), r.track);
        EXPECT_EQ(f.status, Mp4Status::Ok);
        // Every AAC frame is 1024 samples: the times run on across segments.
        for (const Mp4Sample& s : f.samples) EXPECT_EQ(s.decodeTime, 1024 * samples++);
        AppendElementaryStream(BytesOf(segment), r.track, f.samples, audio);
    }
    EXPECT_GE(segments, 3);
    EXPECT_TRUE(std::string(audio.begin(), audio.end()) == expected) << audio.size() << " of " << expected.size();
}

}  // namespace
}  // namespace zarvio::stream

#include "player/media_router.h"

#include <gtest/gtest.h>

#include "support/fake_media_player.h"
#include "support/fake_stream_parts.h"
#include "support/message_pump.h"
#include "support/player_events.h"

namespace zarvio {
namespace {

using test::PumpUntil;

using Heard = test::PlayerEvents;

struct RouterTest : ::testing::Test {
    std::shared_ptr<test::TransportScript> script = std::make_shared<test::TransportScript>();
    std::shared_ptr<test::SinkLog> log = std::make_shared<test::SinkLog>();
    std::unique_ptr<stream::StreamPlayer> streams;
    FakeMediaPlayer component{L""};
    std::unique_ptr<MediaRouter> router;
    Heard heard;

    void SetUp() override {
        stream::StreamParts parts;
        auto s = script;
        auto l = log;
        parts.transport = [s] { return std::make_unique<test::ScriptedTransport>(s); };
        parts.decoder = [](const stream::AudioFrame&) { return std::make_unique<test::LevelDecoder>(); };
        parts.sink = [l] { return std::make_unique<test::ClockedSink>(l, 10.0); };
        parts.reconnectWait = [](uint32_t) { return 1u; };
        streams = std::make_unique<stream::StreamPlayer>(L"", parts);
        router = std::make_unique<MediaRouter>(*streams, component);
        router->SetListener(&heard);
        test::FakeAnswer live;
        live.body = test::Mp3Frames(400);
        live.then = test::FakeAnswer::Then::Stall;
        live.stallMs = 200;
        script->answers = {live};
    }
    void TearDown() override {
        router.reset();
        streams.reset();
        test::PumpFor(50);
    }
};

TEST(StreamAddress, OnlyHttpAndHttpsInAnyCase) {
    EXPECT_TRUE(IsStreamAddress(L"http://a/b"));
    EXPECT_TRUE(IsStreamAddress(L"HTTPS://a/b"));
    EXPECT_FALSE(IsStreamAddress(L"mms://a/b"));
    EXPECT_FALSE(IsStreamAddress(L"rtsp://a/b"));
    EXPECT_FALSE(IsStreamAddress(L"C:\\music\\a.mp3"));
    EXPECT_FALSE(IsStreamAddress(L"http:/a"));
    EXPECT_FALSE(IsStreamAddress(L"http"));
}

TEST_F(RouterTest, StreamsGoToTheStreamPlayerEverythingElseToTheComponent) {
    EXPECT_TRUE(router->Available());
    router->SetUrl(L"HTTP://radio.test/a");
    router->Play();
    ASSERT_TRUE(PumpUntil([&] { return !heard.states.empty() && heard.states.back() == 3; }, 5000));
    EXPECT_TRUE(component.calls.empty()) << "the component is not asked for http";

    router->SetUrl(L"mms://radio.test/b");
    router->Play();
    EXPECT_TRUE(router->ComponentInCharge());
    EXPECT_EQ(component.calls, (std::vector<std::wstring>{L"SetUrl mms://radio.test/b", L"Play"}));
    EXPECT_FALSE(streams->Active()) << "the stream falls silent when the component takes over";

    router->SetVolume(40);
    EXPECT_EQ(component.volume, 40);

    router->SetUrl(L"https://radio.test/c");
    EXPECT_EQ(component.calls.back(), L"Stop");
    EXPECT_FALSE(router->ComponentInCharge());
}

TEST_F(RouterTest, OnlyThePlayerInChargeIsHeard) {
    router->SetUrl(L"http://radio.test/a");
    component.FirePlayStateChange(3);
    EXPECT_TRUE(heard.states.empty());
    router->SetUrl(L"rtsp://radio.test/b");
    component.FirePlayStateChange(6);
    EXPECT_EQ(heard.states, (std::vector<int>{6}));
}

TEST_F(RouterTest, AnAddressOnlyTheMissingComponentCouldPlayFailsOnPlay) {
    component.available = false;
    EXPECT_EQ(router->SetUrl(L"mms://radio.test/b"), S_OK);
    router->Play();
    ASSERT_EQ(heard.failures.size(), 1u);
    EXPECT_EQ(heard.failures[0], L"未找到 Windows Media Player 组件，无法播放此地址");
    EXPECT_EQ(heard.states, (std::vector<int>{kPlayStateReady}));
    EXPECT_EQ(component.calls, (std::vector<std::wstring>{})) << "nothing asks the missing component";
}

TEST_F(RouterTest, WindowsMediaContentIsPlayedByTheComponent) {
    script->answers[0].contentType = L"video/x-ms-asf";
    script->answers[0].body = std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16) +
                              std::string(4000, '\0');
    router->SetUrl(L"http://radio.test/wma");
    router->Play();
    ASSERT_TRUE(PumpUntil([&] { return component.calls.size() >= 2; }, 5000));
    EXPECT_EQ(component.calls, (std::vector<std::wstring>{L"SetUrl http://radio.test/wma", L"Play"}));
    component.FirePlayStateChange(3);
    EXPECT_EQ(heard.states.back(), 3);

    component.available = false;
    router->SetUrl(L"http://radio.test/wma");
    router->Play();
    ASSERT_TRUE(PumpUntil([&] { return !heard.failures.empty(); }, 5000));
    EXPECT_EQ(heard.failures[0], kComponentMissingText);
}

}  // namespace
}  // namespace zarvio

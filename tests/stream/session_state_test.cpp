#include "player/stream/session/session_state.h"

#include <gtest/gtest.h>

#include <vector>

namespace zarvio::stream {
namespace {

// Feeds events and collects the states that are shown.
struct Shown {
    SessionState s;
    std::vector<int> states;
    void Add(std::optional<int> v) { if (v) states.push_back(*v); }
};

TEST(SessionState, AConnectionShowsConnectingBufferingPlaying) {
    Shown x;
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Connected());
    x.Add(x.s.SoundStarted());
    EXPECT_EQ(x.states, (std::vector<int>{9, 6, 3}));
}

TEST(SessionState, ADropPlaysOutThenBuffersThenConnectsAgain) {
    Shown x;
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Connected());
    x.Add(x.s.SoundStarted());
    x.Add(x.s.Disconnected());   // the queue still plays
    x.Add(x.s.Underrun());       // now it ran dry
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Connected());
    x.Add(x.s.SoundStarted());
    EXPECT_EQ(x.states, (std::vector<int>{9, 6, 3, 6, 9, 6, 3}));
}

TEST(SessionState, AQuickReconnectWhileSoundPlaysGoesStraightBackToPlaying) {
    Shown x;
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Connected());
    x.Add(x.s.SoundStarted());
    x.Add(x.s.Disconnected());
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Connected());
    EXPECT_EQ(x.states, (std::vector<int>{9, 6, 3, 9, 3}));
}

TEST(SessionState, RunningDryWhileConnectingKeepsConnectingAndRepeatsNothing) {
    Shown x;
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Underrun());
    x.Add(x.s.AttemptStarted());
    x.Add(x.s.Connected());
    x.Add(x.s.Underrun());
    EXPECT_EQ(x.states, (std::vector<int>{9, 6}));
}

TEST(SessionState, AfterTheLastStateNothingMoreIsShownAndEachIsPublishedAsDecided) {
    SessionState s;
    std::vector<int> published;
    s.SetPublisher([&](int state) { published.push_back(state); });
    s.AttemptStarted();
    s.Connected();
    s.DeviceMissing();     // no device: buffering, whatever the connection does
    s.SoundStarted();
    s.Failed();
    s.Underrun();          // the output's late news of a playback that is over
    s.AttemptStarted();
    EXPECT_EQ(published, (std::vector<int>{9, 6, 3, 10}));
    SessionState file;
    std::vector<int> ended;
    file.SetPublisher([&](int state) { ended.push_back(state); });
    file.AttemptStarted();
    file.Connected();
    file.SoundStarted();
    file.EndHeard();
    file.Underrun();
    EXPECT_EQ(ended, (std::vector<int>{9, 6, 3, 8, 1}));
}

}  // namespace
}  // namespace zarvio::stream

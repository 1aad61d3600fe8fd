#include "player/play_state.h"

#include <gtest/gtest.h>

namespace zarvio {
namespace {

TEST(PlayState, ListedStatesHaveTheirPanelTexts) {
    EXPECT_EQ(PlayStatePanelText(1), L"播放状态：已停止");
    EXPECT_EQ(PlayStatePanelText(3), L"播放状态：正在播放...");
    EXPECT_EQ(PlayStatePanelText(6), L"播放状态：正在缓冲...");
    EXPECT_EQ(PlayStatePanelText(9), L"播放状态：正在连接...");
    EXPECT_EQ(PlayStatePanelText(10), L"播放状态：准备就绪！");
}

TEST(PlayState, OtherStatesLeaveThePanelAlone) {
    for (int state : {0, 2, 4, 5, 7, 8, 11, 12, -1}) {
        EXPECT_FALSE(PlayStatePanelText(state).has_value()) << "state " << state;
    }
}

}  // namespace
}  // namespace zarvio

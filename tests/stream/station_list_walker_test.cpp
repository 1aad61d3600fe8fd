#include "player/stream/lists/station_list_walker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarvio::stream {
namespace {

std::vector<StationEntry> Entries(std::initializer_list<const char*> urls) {
    std::vector<StationEntry> out;
    for (const char* u : urls) out.push_back({u, ""});
    return out;
}

TEST(StationListWalker, DeadEntriesGiveWayAndTheFirstComesAgainAfterTheLast) {
    StationListWalker w;
    EXPECT_EQ(w.CurrentAddress(), "");
    ASSERT_TRUE(w.EnterList("http://l/a.pls", "http://l/a.pls", Entries({"http://dead/", "http://final/", "http://ok/"})));
    EXPECT_EQ(w.CurrentAddress(), "http://dead/");
    // The connection fails, then three reconnects fail: the entry failed for good.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(w.OnFailure(false), ListStep::ReconnectSame) << i;
    EXPECT_EQ(w.OnFailure(false), ListStep::TryNext);
    EXPECT_EQ(w.CurrentAddress(), "http://final/");
    EXPECT_EQ(w.OnFailure(true), ListStep::TryNext);  // a final failure moves on at once
    EXPECT_EQ(w.CurrentAddress(), "http://ok/");

    // Playing clears the count: a drop later gets its three reconnects again.
    EXPECT_EQ(w.OnFailure(false), ListStep::ReconnectSame);
    EXPECT_EQ(w.OnFailure(false), ListStep::ReconnectSame);
    w.OnPlaying();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(w.OnFailure(false), ListStep::ReconnectSame) << i;
    EXPECT_EQ(w.OnFailure(false), ListStep::StartOverAfterBackoff);
    EXPECT_EQ(w.CurrentAddress(), "http://dead/");
    EXPECT_EQ(w.OnFailure(false), ListStep::ReconnectSame);  // a fresh count for the first again
}

TEST(StationListWalker, NestedListsAndLoops) {
    StationListWalker w;
    ASSERT_TRUE(w.EnterList("http://l/a.pls", "http://l/a-final.pls", Entries({"http://l/b.m3u", "http://s/2"})));
    ASSERT_TRUE(w.EnterList("http://l/b.m3u", "http://l/b.m3u", Entries({"http://l/c.pls"})));
    // Back to a list being walked, by either of its addresses: a final failure.
    EXPECT_FALSE(w.EnterList("http://l/a-final.pls", "http://l/x", Entries({"http://s/1"})));
    EXPECT_FALSE(w.EnterList("http://l/x", "http://l/b.m3u", Entries({"http://s/1"})));
    EXPECT_FALSE(w.EnterList("http://l/x", "http://l/x", {}));  // nothing to play
    ASSERT_TRUE(w.EnterList("http://l/c.pls", "http://l/c.pls", Entries({"http://l/d.pls", "http://s/c2"})));
    EXPECT_EQ(w.Depth(), kMaxListNesting);
    EXPECT_FALSE(w.EnterList("http://l/d.pls", "http://l/d.pls", Entries({"http://s/1"})));  // a fourth level

    // The innermost list's last entry failed for good: its parent moves on, up to the outermost.
    EXPECT_EQ(w.OnFailure(true), ListStep::TryNext);
    EXPECT_EQ(w.CurrentAddress(), "http://s/c2");
    EXPECT_EQ(w.OnFailure(true), ListStep::TryNext);
    EXPECT_EQ(w.Depth(), 1);
    EXPECT_EQ(w.CurrentAddress(), "http://s/2");
    EXPECT_EQ(w.OnFailure(true), ListStep::StartOverAfterBackoff);
    EXPECT_EQ(w.CurrentAddress(), "http://l/b.m3u");
    // The nested list is opened anew and may be entered again.
    EXPECT_TRUE(w.EnterList("http://l/b.m3u", "http://l/b.m3u", Entries({"http://s/b1"})));
}

}  // namespace
}  // namespace zarvio::stream

#include "player/stream/lists/station_playlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zarvio::stream {
namespace {

constexpr char kBase[] = "http://lists.example/radio/station.pls";

std::vector<std::string> Urls(std::string_view text) {
    std::vector<std::string> urls;
    for (const StationEntry& e : ParseStationList(text, kBase)) urls.push_back(e.url);
    return urls;
}

using Strings = std::vector<std::string>;

TEST(StationPlaylist, PlsIsOrderedByEntryNumber) {
    const auto entries = ParseStationList(
        "\xEF\xBB\xBF[Playlist]\r\nNumberOfEntries=3\r\n"
        "File10=http://c.example/ten\r\nTitle10=Ten\r\n"
        "file2 = relative/two\r\n"
        "File1=http://a.example:8000/;stream.mp3\r\nTitle1=First, with comma\r\n"
        "File2=http://ignored.example/second-file2\r\n"
        "File3=\r\nLength1=-1\r\nVersion=2\r\n", kBase);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].url, "http://a.example:8000/;stream.mp3");
    EXPECT_EQ(entries[0].title, "First, with comma");
    EXPECT_EQ(entries[1].url, "http://lists.example/radio/relative/two");
    EXPECT_EQ(entries[1].title, "");
    EXPECT_EQ(entries[2].url, "http://c.example/ten");
    EXPECT_EQ(entries[2].title, "Ten");
    // Without its header a list of FileN= lines is still a .pls.
    EXPECT_EQ(Urls("File2=http://b/\nFile1=http://a/\n"), (Strings{"http://a/", "http://b/"}));
}

TEST(StationPlaylist, M3uEntriesAreTheLinesThatAreNotComments) {
    const auto entries = ParseStationList(
        "#EXTM3U\n\n#EXTINF:-1,Station One\nhttp://one.example/live\n"
        "# a comment\n  ../up/two.aac  \n#EXTINF:-1\r\n/three\r\n", kBase);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].url, "http://one.example/live");
    EXPECT_EQ(entries[0].title, "Station One");
    EXPECT_EQ(entries[1].url, "http://lists.example/up/two.aac");
    EXPECT_EQ(entries[1].title, "");  // a title belongs to the next entry only
    EXPECT_EQ(entries[2].url, "http://lists.example/three");
    // No header at all: a bare list of addresses.
    EXPECT_EQ(Urls("http://x.example/a\rhttp://y.example/b"), (Strings{"http://x.example/a", "http://y.example/b"}));
    EXPECT_TRUE(Urls("#EXTM3U\n# nothing\n\n").empty());
}

TEST(StationPlaylist, Limits) {
    std::string many;
    for (size_t i = 0; i <= kMaxStationListEntries; ++i) many += "http://h/" + std::to_string(i) + "\n";
    const auto urls = Urls(many);
    ASSERT_EQ(urls.size(), kMaxStationListEntries);
    EXPECT_EQ(urls.back(), "http://h/" + std::to_string(kMaxStationListEntries - 1));
    EXPECT_TRUE(Urls(std::string(kMaxStationListBytes + 1, 'a')).empty());
}

}  // namespace
}  // namespace zarvio::stream

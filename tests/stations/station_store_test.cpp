#include <gtest/gtest.h>

#include "app/main_list.h"
#include "platform/files.h"
#include "platform/toolkit/controls.h"
#include "stations/station_store.h"
#include "support/file_locks.h"
#include "support/list_host.h"
#include "support/temp_dir.h"

using namespace zarvio;
using zarvio::test::HoldAgainstReplacing;
using zarvio::test::ListHost;
using zarvio::test::ReadBytes;
using zarvio::test::TempDir;
using zarvio::test::WriteBytes;

TEST(StationLines, TerminatorsFollowTheReadingRules) {
    EXPECT_EQ(SplitStationLines(""), std::vector<std::string>{});
    // A lone LF does not end a line.
    EXPECT_EQ(SplitStationLines("a\nb\nc\n"), std::vector<std::string>{"a\nb\nc\n"});
    // CR LF and lone CR end lines; a final CR LF adds nothing.
    EXPECT_EQ(SplitStationLines("a\r\nb\rc\r\n"), (std::vector<std::string>{"a", "b", "c"}));
    // The last line may lack its terminator.
    EXPECT_EQ(SplitStationLines("a\r\nlast"), (std::vector<std::string>{"a", "last"}));
    // An empty line in the middle is an entry and keeps the later positions.
    EXPECT_EQ(SplitStationLines("a\r\n\r\nc\r\n"), (std::vector<std::string>{"a", "", "c"}));
}

TEST(StationEntry, NumberIsPaddedToThreeDigitsAndNeverCut) {
    EXPECT_EQ(FormatListEntry(0, L"中国之声"), L"001 \u2605 中国之声");
    EXPECT_EQ(FormatListEntry(998, L"x"), L"999 \u2605 x");
    EXPECT_EQ(FormatListEntry(999, L"x"), L"1000 \u2605 x");
    EXPECT_EQ(FormatListEntry(40000, L""), L"40001 \u2605 ");
    EXPECT_EQ(FormatListEntry(1, L"12 \u2605 y"), L"002 \u2605 12 \u2605 y");
}

TEST(StationFiles, AddAndRemoveAreByteExact) {
    TempDir dir;
    const std::wstring names = NamesFilePath(dir.path());
    const std::wstring urls = UrlsFilePath(dir.path());
    // Missing files read as empty and are created by the first add.
    EXPECT_TRUE(ReadStationFile(names).empty());
    ASSERT_EQ(AppendStation(SystemFileWriter(), dir.path(), L"音乐 ★", L"http://a/b"), StationChange::Done);
    EXPECT_EQ(ReadBytes(names), "\xD2\xF4\xC0\xD6 \xA1\xEF\r\n");
    EXPECT_EQ(ReadBytes(urls), "http://a/b\r\n");
    ASSERT_EQ(AppendStation(SystemFileWriter(), dir.path(), L"  ", L"u2"), StationChange::Done);
    EXPECT_EQ(ReadStationFile(names), (std::vector<std::wstring>{L"音乐 ★", L"  "}));

    // Written back, each line ends in CR LF whatever ended it before; a file of no lines is empty.
    ASSERT_EQ(AppendStation(SystemFileWriter(), dir.path(), L"二", L"u3"), StationChange::Done);
    ASSERT_TRUE(RemoveStationLine(names, 0));
    EXPECT_EQ(ReadBytes(names), "  \r\n\xB6\xFE\r\n");
    WriteBytes(names, "gone\r\none\r\xB6\xFE");
    ASSERT_TRUE(RemoveStationLine(names, 0));
    EXPECT_EQ(ReadBytes(names), "one\r\n\xB6\xFE\r\n");
    WriteBytes(urls, "only\r\n");
    ASSERT_TRUE(RemoveStationLine(urls, 0));
    EXPECT_EQ(ReadBytes(urls), "");
}

TEST(StationFiles, FailedRemovalLeavesTheOldFileWhole) {
    TempDir dir;
    const std::wstring names = NamesFilePath(dir.path());
    WriteBytes(names, "old\r\n");
    // Another process holds the file open without sharing deletion: the new content is
    // written to the side file, but it cannot take the old file's place.
    {
        const FileHandle held = HoldAgainstReplacing(names);
        ASSERT_TRUE(held);
        EXPECT_EQ(RemoveSeenLine(SystemFileWriter(), names, 0, std::string("old")), StationChange::NotWritten);
        EXPECT_FALSE(RemoveStationLine(names, 0));
    }
    EXPECT_EQ(ReadBytes(names), "old\r\n");
    EXPECT_FALSE(FileExists(names + L".new~"));
}

TEST(MainList, LoadNumbersNamesAndKeepsAddressesIndexForIndex) {
    TempDir dir;
    std::string names, urls;
    for (int i = 0; i < 1000; ++i) {
        names += "s" + std::to_string(i) + "\r\n";
        urls += "http://h/" + std::to_string(i) + "\r\n";
    }
    WriteBytes(NamesFilePath(dir.path()), names);
    WriteBytes(UrlsFilePath(dir.path()), urls);
    ListHost host;
    ASSERT_TRUE(host.Create({L"t", 3000, 4000}));
    LoadMainList(host.list1, host.list2, dir.path());
    LoadMainList(host.list1, host.list2, dir.path());  // a second refresh must not double the list
    ASSERT_EQ(ListCount(host.list1), 1000);
    ASSERT_EQ(ListCount(host.list2), 1000);
    EXPECT_EQ(ListText(host.list1, 0), L"001 \u2605 s0");
    EXPECT_EQ(ListText(host.list1, 998), L"999 \u2605 s998");
    EXPECT_EQ(ListText(host.list1, 999), L"1000 \u2605 s999");
    EXPECT_EQ(ListText(host.list2, 999), L"http://h/999");
}

TEST(MainList, MissingFilesGiveEmptyLists) {
    TempDir dir;
    ListHost host;
    ASSERT_TRUE(host.Create({L"t", 3000, 4000}));
    ListAdd(host.list1, L"stale");
    LoadMainList(host.list1, host.list2, dir.path());
    EXPECT_EQ(ListCount(host.list1), 0);
    EXPECT_EQ(ListCount(host.list2), 0);
}

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/form.h"
#include "stations/station_store.h"
#include "support/temp_dir.h"

using namespace zarvio;
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

TEST(StationFiles, AppendAndRewriteAreByteExact) {
    TempDir dir;
    // Missing files read as empty and are created by the first add.
    EXPECT_TRUE(ReadStationFile(NamesFilePath(dir.path())).empty());
    ASSERT_TRUE(AppendStation(dir.path(), L"音乐 ★", L"http://a/b"));
    EXPECT_EQ(ReadBytes(NamesFilePath(dir.path())), "\xD2\xF4\xC0\xD6 \xA1\xEF\r\n");
    EXPECT_EQ(ReadBytes(UrlsFilePath(dir.path())), "http://a/b\r\n");
    ASSERT_TRUE(AppendStation(dir.path(), L"  ", L"u2"));
    EXPECT_EQ(ReadStationFile(NamesFilePath(dir.path())), (std::vector<std::wstring>{L"音乐 ★", L"  "}));

    ASSERT_TRUE(RewriteStationFile(NamesFilePath(dir.path()), {L"one", L"二"}));
    EXPECT_EQ(ReadBytes(NamesFilePath(dir.path())), "one\r\n\xB6\xFE\r\n");
    ASSERT_TRUE(RewriteStationFile(UrlsFilePath(dir.path()), {}));
    EXPECT_EQ(ReadBytes(UrlsFilePath(dir.path())), "");
}

TEST(StationFiles, FailedRewriteLeavesTheOldFileWhole) {
    TempDir dir;
    const std::wstring names = NamesFilePath(dir.path());
    WriteBytes(names, "old\r\n");
    // Another process holds the file open without sharing deletion: the new content is
    // written to the side file, but it cannot take the old file's place.
    HANDLE held = CreateFileW(names.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(RewriteStationFile(names, {L"new", L"lines"}));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(names), "old\r\n");
    EXPECT_FALSE(FileExists(names + L".new~"));
}

namespace {
class ListHost : public Form {
public:
    HWND a = nullptr, b = nullptr;
    ~ListHost() override { Destroy(); }
    void BuildControls() override {
        a = AddListBox(hwnd(), 1, {0, 0, 3000, 2000});
        b = AddListBox(hwnd(), 2, {0, 2000, 3000, 2000});
    }
};
}  // namespace

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
    LoadMainList(host.a, host.b, dir.path());
    LoadMainList(host.a, host.b, dir.path());  // a second refresh must not double the list
    ASSERT_EQ(ListCount(host.a), 1000);
    ASSERT_EQ(ListCount(host.b), 1000);
    EXPECT_EQ(ListText(host.a, 0), L"001 \u2605 s0");
    EXPECT_EQ(ListText(host.a, 998), L"999 \u2605 s998");
    EXPECT_EQ(ListText(host.a, 999), L"1000 \u2605 s999");
    EXPECT_EQ(ListText(host.b, 999), L"http://h/999");
}

TEST(MainList, MissingFilesGiveEmptyLists) {
    TempDir dir;
    ListHost host;
    ASSERT_TRUE(host.Create({L"t", 3000, 4000}));
    ListAdd(host.a, L"stale");
    LoadMainList(host.a, host.b, dir.path());
    EXPECT_EQ(ListCount(host.a), 0);
    EXPECT_EQ(ListCount(host.b), 0);
}

// The station reader fed with files no editor writes: random bytes, broken double-byte text,
// NUL bytes, huge lines and files, a folder in place of a file, files held by someone else.
// It must not crash or hang, must keep every line at its position, and must write nothing.
#include <gtest/gtest.h>

#include <random>

#include "app/main_list.h"
#include "hostile_support.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/toolkit/controls.h"
#include "stations/station_store.h"
#include "support/list_host.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;
using namespace std::chrono_literals;

namespace {

struct HostileStations : ::testing::Test {
    TempDir dir;
    ListHost host;
    void SetUp() override { ASSERT_TRUE(host.Create({L"t", 3000, 4000})); }
    std::wstring names() const { return NamesFilePath(dir.path()); }
    std::wstring urls() const { return UrlsFilePath(dir.path()); }
    // Loads with stale entries in both lists, which every load must clear.
    void Load() {
        ListAdd(host.list1, L"stale");
        ListAdd(host.list2, L"stale");
        LoadMainList(host.list1, host.list2, dir.path());
    }
};

// Checks the splitting of bytes against the reading rules without re-implementing them: the
// lines and their terminators must give back the input exactly, no line holds a CR, and a line
// never starts at the very end (a final terminator adds no empty line).
void ExpectLinesRebuildInput(const std::string& input, const std::vector<std::string>& lines) {
    size_t pos = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        ASSERT_LT(pos, input.size()) << "line " << i << " begins after the end";
        ASSERT_EQ(lines[i].find('\r'), std::string::npos) << "line " << i;
        ASSERT_EQ(input.compare(pos, lines[i].size(), lines[i]), 0) << "line " << i;
        pos += lines[i].size();
        if (pos == input.size()) {
            ASSERT_EQ(i + 1, lines.size()) << "lines after the end of the input";
            break;
        }
        ASSERT_EQ(input[pos], '\r') << "line " << i << " ends without a CR";
        ++pos;
        if (pos < input.size() && input[pos] == '\n') ++pos;
    }
    EXPECT_EQ(pos, input.size()) << "input left over after the last line";
}

TEST(HostileStationBytes, RandomBytesSplitIntoLinesThatRebuildTheInput) {
    std::mt19937 rng(936);
    std::uniform_int_distribution<size_t> length(0, 3000);
    for (int round = 0; round < 400; ++round) {
        const std::string input = HostileBytes(rng, length(rng));
        ExpectLinesRebuildInput(input, SplitStationLines(input));
        if (HasFatalFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
}

TEST_F(HostileStations, RandomFilesReadAndLoadLineForLineAndWriteNothing) {
    std::mt19937 rng(20261206);
    std::uniform_int_distribution<size_t> length(0, 20000);
    for (int round = 0; round < 25; ++round) {
        const std::string nameBytes = HostileBytes(rng, length(rng));
        const std::string urlBytes = HostileBytes(rng, length(rng));
        WriteBytes(names(), nameBytes);
        WriteBytes(urls(), urlBytes);
        const FolderContent before = Snapshot(dir.path());

        const auto read = ReadStationFile(names());
        const size_t nameLines = SplitStationLines(nameBytes).size();
        ASSERT_EQ(read.size(), nameLines) << "round " << round;
        for (const auto& line : read) ASSERT_EQ(line.find(L'\r'), std::wstring::npos) << "round " << round;

        Load();
        ASSERT_EQ(static_cast<size_t>(ListCount(host.list1)), nameLines) << "round " << round;
        ASSERT_EQ(static_cast<size_t>(ListCount(host.list2)), SplitStationLines(urlBytes).size()) << "round " << round;
        if (nameLines > 0) {
            // Every entry carries its own number, also after lines full of broken text.
            const int last = static_cast<int>(nameLines) - 1;
            const std::wstring prefix = FormatListEntry(static_cast<size_t>(last), L"");
            EXPECT_EQ(ListText(host.list1, last).compare(0, prefix.size(), prefix), 0) << "round " << round;
        }
        ASSERT_EQ(Snapshot(dir.path()), before) << "round " << round;
    }
}

TEST_F(HostileStations, BrokenDoubleByteTextNeverSwallowsALineEnd) {
    // A lead byte of code page 936 (0x81 to 0xFE) right before CR LF or a lone CR, a lead byte
    // followed by a byte that cannot be a trail byte, bytes that are never valid, and a lone
    // lead byte as the very last byte of the file.
    WriteBytes(names(), std::string("\xB5\xE7\r\n"      // 电, a whole character
                                    "\x81\r\n"          // lead byte, then CR LF
                                    "\xD6\rnext\r\n"    // lead byte, then a lone CR
                                    "\x81\x7F\x81\x20 x\r\n"
                                    "\xFF\xFF\x80\r\n"
                                    "ok\r\n"
                                    "\xB6"));
    const auto lines = ReadStationFile(names());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], L"电");
    EXPECT_FALSE(lines[1].empty()) << "the lone lead byte is kept as a replacement character";
    EXPECT_FALSE(lines[2].empty());
    EXPECT_EQ(lines[3], L"next");
    EXPECT_FALSE(lines[4].empty());
    EXPECT_FALSE(lines[5].empty());
    EXPECT_EQ(lines[6], L"ok");
    EXPECT_FALSE(lines[7].empty()) << "the lead byte at the end of the file is kept as a character";

    WriteBytes(urls(), "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n");
    Load();
    ASSERT_EQ(ListCount(host.list1), 8);
    EXPECT_EQ(ListText(host.list1, 3), L"004 \u2605 next");
    EXPECT_EQ(ListText(host.list1, 6), L"007 \u2605 ok");
    EXPECT_EQ(ListText(host.list2, 6), L"g") << "the address list keeps the same positions";
}

TEST_F(HostileStations, NulBytesStayInsideTheirLines) {
    static const char kNames[] = "a\0b\r\n\0\r\n\0\0\0\r\nlast";
    WriteBytes(names(), std::string(kNames, sizeof kNames - 1));
    const auto lines = ReadStationFile(names());
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], std::wstring(L"a\0b", 3));
    EXPECT_EQ(lines[1], std::wstring(1, L'\0'));
    EXPECT_EQ(lines[2], std::wstring(3, L'\0'));
    EXPECT_EQ(lines[3], L"last");

    static const char kUrls[] = "\0\r\nu2\r\nu3\r\nu4\r\n";
    WriteBytes(urls(), std::string(kUrls, sizeof kUrls - 1));
    Load();
    ASSERT_EQ(ListCount(host.list1), 4);
    // A list entry is a C string: it shows the text before the NUL, and the numbering goes on.
    EXPECT_EQ(ListText(host.list1, 0), L"001 \u2605 a");
    EXPECT_EQ(ListText(host.list1, 3), L"004 \u2605 last");
    ASSERT_EQ(ListCount(host.list2), 4);
    EXPECT_EQ(ListText(host.list2, 1), L"u2");
}

TEST_F(HostileStations, LinesOfOneMebibyteAreReadWhole) {
    const size_t mib = 1u << 20;
    std::string bytes(mib, 'x');
    bytes += "\r\n";
    for (size_t i = 0; i < mib / 2; ++i) bytes += "\xD2\xF4";  // 音, two bytes each
    bytes += "\r\ntail";  // and no terminator at the end
    WriteBytes(names(), bytes);
    WriteBytes(urls(), std::string(mib, 'u'));

    const auto lines = ReadStationFile(names());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::wstring(mib, L'x'));
    EXPECT_EQ(lines[1], std::wstring(mib / 2, L'音'));
    EXPECT_EQ(lines[2], L"tail");

    Load();
    ASSERT_EQ(ListCount(host.list1), 3);
    EXPECT_EQ(ListText(host.list1, 1), L"002 \u2605 " + std::wstring(mib / 2, L'音'));
    EXPECT_EQ(ListText(host.list1, 2), L"003 \u2605 tail");
    ASSERT_EQ(ListCount(host.list2), 1);
    EXPECT_EQ(ListText(host.list2, 0).size(), mib);
}

TEST_F(HostileStations, HundredThousandLinesAllLoadAndNumberPastFiveDigits) {
    std::string nameBytes, urlBytes;
    for (int i = 0; i < 100000; ++i) {
        const std::string n = std::to_string(i);
        nameBytes.append("s").append(n).append("\r\n");
        urlBytes.append("u").append(n).append("\r");  // lone CR terminators in this one
    }
    WriteBytes(names(), nameBytes);
    WriteBytes(urls(), urlBytes);
    Load();
    ASSERT_EQ(ListCount(host.list1), 100000);
    ASSERT_EQ(ListCount(host.list2), 100000);
    EXPECT_EQ(ListText(host.list1, 0), L"001 \u2605 s0");
    EXPECT_EQ(ListText(host.list1, 32767), L"32768 \u2605 s32767") << "past the 16-bit count";
    EXPECT_EQ(ListText(host.list1, 99999), L"100000 \u2605 s99999");
    EXPECT_EQ(ListText(host.list2, 99999), L"u99999");
}

TEST_F(HostileStations, FolderInPlaceOfAFileReadsAsEmptyAndStaysAsItIs) {
    ASSERT_TRUE(CreateDirectoryW(names().c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(urls().c_str(), nullptr));
    const FolderContent before = Snapshot(dir.path());
    EXPECT_TRUE(ReadStationFile(names()).empty());
    Load();
    EXPECT_EQ(ListCount(host.list1), 0);
    EXPECT_EQ(ListCount(host.list2), 0);
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(HostileStations, FilesHeldByAnotherProgramReadAsEmptyWithoutWaiting) {
    WriteBytes(names(), "one\r\ntwo\r\n");
    WriteBytes(urls(), "u1\r\nu2\r\n");
    const FolderContent before = Snapshot(dir.path());
    {
        const FileHandle held = HoldExclusively(names());
        ASSERT_TRUE(held);
        const std::wstring path = names();
        EXPECT_TRUE(FinishesWithin(10s, [path] { ReadStationFile(path); }));
        EXPECT_TRUE(ReadStationFile(path).empty());
        Load();
        EXPECT_EQ(ListCount(host.list1), 0) << "a file that cannot be opened shows as no stations";
        EXPECT_EQ(ListCount(host.list2), 2) << "the other file is read as usual";
    }
    {
        const FileHandle held = HoldAgainstReading(urls());
        ASSERT_TRUE(held);
        Load();
        EXPECT_EQ(ListCount(host.list1), 2);
        EXPECT_EQ(ListCount(host.list2), 0);
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
    Load();
    EXPECT_EQ(ListCount(host.list1), 2) << "once let go, the files read as before";
}

}  // namespace

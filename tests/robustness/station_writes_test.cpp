// Adding and rewriting stations where the files are not as the program left them: a last line
// without its terminator, a folder or a held file in place of one of the two files. An add either
// lands in both files, each on a line of its own, or in neither.
#include <gtest/gtest.h>

#include "hostile_support.h"
#include "platform/files.h"
#include "stations/station_store.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct HostileWrites : ::testing::Test {
    TempDir dir;
    std::wstring names() const { return NamesFilePath(dir.path()); }
    std::wstring urls() const { return UrlsFilePath(dir.path()); }
};

TEST_F(HostileWrites, AddAfterAnUnterminatedLastLineStartsALineOfItsOwn) {
    struct Case { const char* before; const char* after; };
    const Case cases[] = {
        {"a\r\nb", "a\r\nb\r\nnew\r\n"},      // hand-edited, no CR LF after the last line
        {"x\n", "x\n\r\nnew\r\n"},            // a lone LF does not end a line
        {"a\r\n\n", "a\r\n\n\r\nnew\r\n"},
        {"y\r", "y\rnew\r\n"},                // a lone CR does end one
        {"a\r\n", "a\r\nnew\r\n"},
        {"", "new\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(names(), c.before);
        WriteBytes(urls(), c.before);
        const size_t linesBefore = SplitStationLines(c.before).size();
        ASSERT_TRUE(AppendStation(dir.path(), L"new", L"new")) << c.before;
        EXPECT_EQ(ReadBytes(names()), c.after) << c.before;
        EXPECT_EQ(ReadBytes(urls()), c.after) << c.before;
        const auto read = ReadStationFile(names());
        ASSERT_EQ(read.size(), linesBefore + 1) << c.before;
        EXPECT_EQ(read.back(), L"new") << "the old last line keeps its text: " << c.before;
    }
}

TEST_F(HostileWrites, AddStaysInStepWhenOnlyTheAddressFileIsUnterminated) {
    WriteBytes(names(), "n1\r\nn2\r\n");
    WriteBytes(urls(), "u1\r\nu2");
    ASSERT_TRUE(AppendStation(dir.path(), L"n3", L"u3"));
    EXPECT_EQ(ReadStationFile(names()), (std::vector<std::wstring>{L"n1", L"n2", L"n3"}));
    EXPECT_EQ(ReadStationFile(urls()), (std::vector<std::wstring>{L"u1", L"u2", L"u3"}));
}

TEST_F(HostileWrites, AddWithAFolderForTheAddressFileWritesNothing) {
    WriteBytes(names(), "a\r\nb");
    ASSERT_TRUE(CreateDirectoryW(urls().c_str(), nullptr));
    const FolderContent before = Snapshot(dir.path());
    EXPECT_FALSE(AppendStation(dir.path(), L"c", L"u"));
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(HostileWrites, AddWithAHeldFileWritesNeither) {
    WriteBytes(names(), "a\r\n");
    WriteBytes(urls(), "u\r\n");
    const FolderContent before = Snapshot(dir.path());
    {
        const FileHandle held = HoldExclusively(urls());
        ASSERT_TRUE(held);
        EXPECT_FALSE(AppendStation(dir.path(), L"b", L"v"));
    }
    EXPECT_EQ(Snapshot(dir.path()), before) << "no name without its address, no side file";
    {
        const FileHandle held = HoldExclusively(names());
        ASSERT_TRUE(held);
        EXPECT_FALSE(AppendStation(dir.path(), L"b", L"v"));
    }
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(HostileWrites, AddToANamesFileThatCannotBeReadIsRefusedUntouched) {
    // The names file may be appended to but not read: its last line end cannot be checked, and
    // if the address then failed, the name could not be taken back. Nothing is written at all.
    WriteBytes(names(), "a\r\nb");
    WriteBytes(urls(), "u1\r\nu2\r\n");
    {
        const FileHandle noReading = HoldAgainstReading(names());
        ASSERT_TRUE(noReading);
        EXPECT_FALSE(AppendStation(dir.path(), L"c", L"u3"));
        const FileHandle noAddress = HoldExclusively(urls());
        ASSERT_TRUE(noAddress);
        EXPECT_FALSE(AppendStation(dir.path(), L"c", L"u3"));
    }
    EXPECT_EQ(ReadBytes(names()), "a\r\nb");
    EXPECT_EQ(ReadBytes(urls()), "u1\r\nu2\r\n");
}

TEST_F(HostileWrites, RewriteOntoAFolderFailsAndLeavesNoSideFile) {
    ASSERT_TRUE(CreateDirectoryW(names().c_str(), nullptr));
    const FolderContent before = Snapshot(dir.path());
    EXPECT_FALSE(RewriteStationFile(names(), {L"x"}));
    EXPECT_EQ(Snapshot(dir.path()), before);
}

}  // namespace

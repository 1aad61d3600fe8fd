// Adding and removing stations where the files are not as the program left them: a last line
// without its terminator, a folder or a held file in place of one of the two files. An add either
// lands in both files, each on a line of its own, or in neither.
#include <gtest/gtest.h>

#include "hostile_support.h"
#include "platform/files.h"
#include "stations/station_store.h"
#include "support/failing_writer.h"
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
        ASSERT_EQ(AppendStation(SystemFileWriter(), dir.path(), L"new", L"new"), StationChange::Done) << c.before;
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
    ASSERT_EQ(AppendStation(SystemFileWriter(), dir.path(), L"n3", L"u3"), StationChange::Done);
    EXPECT_EQ(ReadStationFile(names()), (std::vector<std::wstring>{L"n1", L"n2", L"n3"}));
    EXPECT_EQ(ReadStationFile(urls()), (std::vector<std::wstring>{L"u1", L"u2", L"u3"}));
}

TEST_F(HostileWrites, AddWithAFolderForTheAddressFileWritesNothing) {
    WriteBytes(names(), "a\r\nb");
    ASSERT_TRUE(CreateDirectoryW(urls().c_str(), nullptr));
    const FolderContent before = Snapshot(dir.path());
    EXPECT_NE(AppendStation(SystemFileWriter(), dir.path(), L"c", L"u"), StationChange::Done);
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(HostileWrites, AddWithAHeldFileWritesNeither) {
    WriteBytes(names(), "a\r\n");
    WriteBytes(urls(), "u\r\n");
    const FolderContent before = Snapshot(dir.path());
    {
        const FileHandle held = HoldExclusively(urls());
        ASSERT_TRUE(held);
        EXPECT_NE(AppendStation(SystemFileWriter(), dir.path(), L"b", L"v"), StationChange::Done);
    }
    EXPECT_EQ(Snapshot(dir.path()), before) << "no name without its address, no side file";
    {
        const FileHandle held = HoldExclusively(names());
        ASSERT_TRUE(held);
        EXPECT_NE(AppendStation(SystemFileWriter(), dir.path(), L"b", L"v"), StationChange::Done);
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
        EXPECT_NE(AppendStation(SystemFileWriter(), dir.path(), L"c", L"u3"), StationChange::Done);
        const FileHandle noAddress = HoldExclusively(urls());
        ASSERT_TRUE(noAddress);
        EXPECT_NE(AppendStation(SystemFileWriter(), dir.path(), L"c", L"u3"), StationChange::Done);
    }
    EXPECT_EQ(ReadBytes(names()), "a\r\nb");
    EXPECT_EQ(ReadBytes(urls()), "u1\r\nu2\r\n");
}

TEST_F(HostileWrites, RewriteOntoAFolderFailsAndLeavesNoSideFile) {
    ASSERT_TRUE(CreateDirectoryW(names().c_str(), nullptr));
    const FolderContent before = Snapshot(dir.path());
    // The removal reads the folder as unreadable and writes nothing; the write it would make
    // fails on the folder just the same.
    EXPECT_FALSE(RemoveStationLine(names(), 0));
    EXPECT_FALSE(WriteFileAtomically(names(), "x\r\n"));
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(HostileWrites, AddRefusesLineBreaksInEitherText) {
    WriteBytes(names(), "a\r\n");
    WriteBytes(urls(), "u\r\n");
    const FolderContent before = Snapshot(dir.path());
    for (const auto& [name, url] : {std::pair<const wchar_t*, const wchar_t*>{L"x\ry", L"v"}, {L"x", L"v\n"},
                                    {L"\r\n", L"v"}}) {
        FailingWriter writer;
        EXPECT_EQ(AppendStation(writer, dir.path(), name, url), StationChange::LineBreak);
        EXPECT_EQ(writer.count, 0);
    }
    EXPECT_NE(AppendStation(SystemFileWriter(), dir.path(), L"x\ry", L"v"), StationChange::Done);
    EXPECT_EQ(Snapshot(dir.path()), before);
}

TEST_F(HostileWrites, AnAddWhoseTakeBackFailsSaysTheFilesAreOutOfStep) {
    // No names file before: taking the name back means removing the file again.
    WriteBytes(urls(), "u\r\n");
    FailingWriter writer;
    writer.failing = {2, 3};
    EXPECT_EQ(AppendStation(writer, dir.path(), L"n", L"v"), StationChange::OutOfStep);
    EXPECT_EQ(ReadBytes(names()), "n\r\n");
    EXPECT_EQ(ReadBytes(urls()), "u\r\n");
    writer.failing = {5};
    EXPECT_EQ(AppendStation(writer, dir.path(), L"m", L"w"), StationChange::NotWritten);
    EXPECT_EQ(ReadBytes(names()), "n\r\n") << "taken back to its bytes before";
}

TEST_F(HostileWrites, RewriteKeepsTheFilesAttributesAndCreationTime) {
    WriteBytes(names(), "a\r\nb\r\n");
    // A creation time long past, so a new file could not have it by chance.
    FILETIME created{};
    SYSTEMTIME then{2001, 2, 0, 3, 4, 5, 6, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&then, &created));
    {
        FileHandle file(CreateFileW(names().c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        ASSERT_TRUE(SetFileTime(file.get(), &created, nullptr, nullptr));
    }
    ASSERT_TRUE(SetFileAttributesW(names().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    // Wine keeps no creation time of its own (setting one has no effect there), so that part
    // is checked only where the file system took it.
    WIN32_FILE_ATTRIBUTE_DATA set{};
    ASSERT_TRUE(GetFileAttributesExW(names().c_str(), GetFileExInfoStandard, &set));
    const bool keepsCreationTimes = CompareFileTime(&set.ftCreationTime, &created) == 0;
    const FolderContent before = Snapshot(dir.path());

    ASSERT_TRUE(RemoveStationLine(names(), 0));
    EXPECT_EQ(ReadBytes(names()), "b\r\n");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(names().c_str(), GetFileExInfoStandard, &data));
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) << std::hex << data.dwFileAttributes;
    if (keepsCreationTimes) {
        EXPECT_EQ(CompareFileTime(&data.ftCreationTime, &created), 0) << "the file is the old one, with new content";
    }
    FolderContent after = Snapshot(dir.path());
    EXPECT_EQ(after.size(), before.size()) << "neither the new file nor the backup is left beside it";
}

}  // namespace

#include "player/volume_file.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace zarvio {
namespace {

using test::TempDir;

std::string FileBytes(const TempDir& dir) {
    return ReadFileBytes(dir.File(L"sound.ini")).value_or("<missing>");
}

void Put(const TempDir& dir, const std::string& bytes) {
    ASSERT_TRUE(WriteFileAtomically(dir.File(L"sound.ini"), bytes));
}

TEST(VolumeFile, WritesTheSpaceFramedLine) {
    TempDir dir;
    ASSERT_TRUE(WriteVolumeFile(dir.path(), 0));
    EXPECT_EQ(FileBytes(dir), std::string("\x20\x30\x20\x0D\x0A"));
    ASSERT_TRUE(WriteVolumeFile(dir.path(), 50));
    EXPECT_EQ(FileBytes(dir), " 50 \r\n");
    ASSERT_TRUE(WriteVolumeFile(dir.path(), 100));
    EXPECT_EQ(FileBytes(dir), " 100 \r\n");
    ASSERT_TRUE(WriteVolumeFile(dir.path(), 7));
    EXPECT_EQ(FileBytes(dir), " 7 \r\n") << "a shorter value replaces the whole old content";
    ASSERT_TRUE(WriteVolumeFile(dir.path(), 250));
    EXPECT_EQ(FileBytes(dir), " 100 \r\n");
    ASSERT_TRUE(WriteVolumeFile(dir.path(), -3));
    EXPECT_EQ(FileBytes(dir), " 0 \r\n");
    // The rewrite goes through a temporary file that must not stay behind.
    EXPECT_EQ(dir.Names(), std::vector<std::wstring>{L"sound.ini"});
}

TEST(VolumeFile, ZeroReadsAsZeroNotAsTheDefault) {
    TempDir dir;
    ASSERT_TRUE(WriteVolumeFile(dir.path(), 0));
    EXPECT_EQ(ReadVolumeFile(dir.path()), 0);
}

TEST(VolumeFile, ReadsTheFirstLine) {
    struct Case { const char* bytes; int volume; };
    const Case cases[] = {
        {"50", 50},             // the bare digits without framing or line end
        {" 73 \r\n", 73},
        {"\t 12\t\r\n", 12},
        {"8\n99\r\n", 8},       // only the first line counts
        {"42 and more", 42},    // the number ends at the first other character
        {"+30", 30},
        {"101", 100},           // clamped
        {"99999999999999999999999", 100},
        {"-4", 0},
        {"", kDefaultVolume},
        {"   \r\n", kDefaultVolume},
        {"\r\n60\r\n", kDefaultVolume},  // an empty first line
        {"loud", kDefaultVolume},
        {"-", kDefaultVolume},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Put(dir, c.bytes);
        EXPECT_EQ(ReadVolumeFile(dir.path()), c.volume) << "content: \"" << c.bytes << "\"";
    }
}

TEST(VolumeFile, MissingFileGivesTheDefault) {
    TempDir dir;
    EXPECT_EQ(ReadVolumeFile(dir.path()), 50);
}

TEST(VolumeFile, RestoreRewritesTheProperForm) {
    TempDir dir;
    Put(dir, "50");
    ASSERT_TRUE(WriteVolumeFile(dir.path(), ReadVolumeFile(dir.path())));
    EXPECT_EQ(FileBytes(dir), " 50 \r\n");
}

TEST(VolumeFile, UnwritableFolderFailsAndKeepsNothing) {
    TempDir dir;
    EXPECT_FALSE(WriteVolumeFile(dir.File(L"absent"), 20));
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace zarvio

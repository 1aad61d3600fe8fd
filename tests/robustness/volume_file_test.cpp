// The volume reader fed with what a damaged or foreign sound.ini may hold. Whatever it holds,
// the volume read is within 0 to 100, reading never hangs and writes nothing, and a write that
// cannot be done leaves the folder as it was.
#include <gtest/gtest.h>

#include <random>

#include "hostile_support.h"
#include "platform/files.h"
#include "player/volume_file.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;
using namespace std::chrono_literals;

namespace {

struct HostileVolume : ::testing::Test {
    TempDir dir;
    std::wstring file() const { return dir.File(kVolumeFileName); }
    // Reads the file as start-up does and checks that the folder did not change.
    int Read() {
        const FolderContent before = Snapshot(dir.path());
        const int volume = ReadVolumeFile(dir.path());
        EXPECT_EQ(Snapshot(dir.path()), before) << "reading wrote to the folder";
        return volume;
    }
};

TEST_F(HostileVolume, RandomBytesAlwaysGiveAVolumeInRange) {
    std::mt19937 rng(50);
    std::uniform_int_distribution<size_t> length(0, 64);
    for (int round = 0; round < 2000; ++round) {
        const std::string bytes = HostileBytes(rng, length(rng));
        const int v = ParseVolume(bytes);
        ASSERT_GE(v, 0) << "round " << round;
        ASSERT_LE(v, 100) << "round " << round;
    }
    for (int round = 0; round < 20; ++round) {
        WriteBytes(file(), HostileBytes(rng, length(rng) * 100));
        const int v = Read();
        ASSERT_TRUE(v >= 0 && v <= 100) << "round " << round << ": " << v;
    }
}

TEST_F(HostileVolume, DoubleByteAndNulBytesEndTheNumberOrGiveTheDefault) {
    struct Case { std::string bytes; int volume; };
    const Case cases[] = {
        {"\x81", kDefaultVolume},                      // a lone lead byte is all there is
        {"42\x81", 42},                                // a lone lead byte at the end
        {"\xA3\xB5\xA3\xB0", kDefaultVolume},          // full-width digits are not digits
        {"7\xB6", 7},
        {std::string("3\0" "9", 3), 3},                // NUL ends the number
        {std::string("\0" "60", 3), kDefaultVolume},   // and is not a space before it
        {std::string(" \0", 2), kDefaultVolume},
    };
    for (const Case& c : cases) {
        WriteBytes(file(), c.bytes);
        EXPECT_EQ(Read(), c.volume) << "content of " << c.bytes.size() << " bytes";
    }
}

TEST_F(HostileVolume, HugeLinesAndManyLinesReadOnlyTheFirstLine) {
    const size_t mib = 1u << 20;
    WriteBytes(file(), std::string(mib, '9'));
    EXPECT_EQ(Read(), 100) << "a megabyte of digits clamps to the top";
    WriteBytes(file(), "-" + std::string(mib, '9'));
    EXPECT_EQ(Read(), 0);
    WriteBytes(file(), std::string(mib, ' ') + "42");
    EXPECT_EQ(Read(), 42) << "spaces before the number are skipped however many";
    WriteBytes(file(), std::string(mib, '0') + "35");
    EXPECT_EQ(Read(), 35) << "leading zeros are still the same number";

    std::string many = " 33 \r\n";
    for (int i = 0; i < 100000; ++i) many += "99\r\n";
    WriteBytes(file(), many);
    EXPECT_EQ(Read(), 33);
    WriteBytes(file(), "\r\n" + many);
    EXPECT_EQ(Read(), kDefaultVolume) << "an empty first line has no number";
}

TEST_F(HostileVolume, FolderInPlaceOfTheFileGivesTheDefaultAndWritesFailCleanly) {
    ASSERT_TRUE(CreateDirectoryW(file().c_str(), nullptr));
    EXPECT_EQ(Read(), kDefaultVolume);
    const FolderContent before = Snapshot(dir.path());
    EXPECT_FALSE(WriteVolumeFile(dir.path(), 70)) << "a folder cannot take the new content";
    EXPECT_EQ(Snapshot(dir.path()), before) << "no side file left behind";
}

TEST_F(HostileVolume, FileHeldByAnotherProgramNeitherHangsNorChanges) {
    WriteBytes(file(), " 80 \r\n");
    {
        const FileHandle held = HoldExclusively(file());
        ASSERT_TRUE(held);
        const std::wstring folder = dir.path();
        EXPECT_TRUE(FinishesWithin(10s, [folder] { ReadVolumeFile(folder); }));
        EXPECT_EQ(Read(), kDefaultVolume);
        const FolderContent before = Snapshot(dir.path());
        EXPECT_FALSE(WriteVolumeFile(dir.path(), 20)) << "the held file cannot be replaced";
        EXPECT_EQ(Snapshot(dir.path()), before);
    }
    EXPECT_EQ(Read(), 80) << "once let go, the old value is still there";
}

}  // namespace

// Copies of directory files between the start directory and the floppy
// folder: byte identity across the copy buffer, the overwrite questions and
// their answers, the four result codes, and that a failed copy leaves the
// old destination and no temporary file behind.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "CatalogTempDir.h"
#include "HandBuiltDirFile.h"
#include "catalog/DirFileCopy.h"

namespace {

class DirFileCopyTest : public CatalogTempDir {
protected:
    void SetUp() override {
        CatalogTempDir::SetUp();
        start = dir + "/start";
        floppy = dir + "/floppy";
        std::filesystem::create_directories(start);
        std::filesystem::create_directories(floppy);
        copy = std::make_unique<DirFileCopy>(messages, start, floppy);
    }

    // A directory file of n entries, with `tail` stray bytes after the last
    // whole entry.
    static Bytes Catalog(int entries, std::size_t tail, const std::string& name = "Daily") {
        Bytes b = HandBuilt::Header(name, "06.12.2026", "1.6");
        for (int i = 0; i < entries; ++i)
            HandBuilt::Append(b, HandBuilt::Entry(1, "file" + std::to_string(i), "01.02.2025", "06.12.2026",
                                                  static_cast<std::uint32_t>(i * 1000), 1));
        for (std::size_t i = 0; i < tail; ++i) b.push_back(static_cast<std::uint8_t>(0xA5 ^ i));
        return b;
    }

    // Files in folder other than the ones named.
    static std::vector<std::string> Leftovers(const std::string& folder, const std::vector<std::string>& expected) {
        std::vector<std::string> extra;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) extra.push_back(name);
        }
        return extra;
    }

    std::string start;
    std::string floppy;
    std::unique_ptr<DirFileCopy> copy;
};

// Sizes around the 64 KiB buffer, each with bytes after the last whole entry.
class DirFileCopySizeTest : public DirFileCopyTest, public ::testing::WithParamInterface<int> {};

TEST_P(DirFileCopySizeTest, CopyIsByteIdenticalBothWays) {
    const Bytes original = Catalog(GetParam(), 131);
    WriteBytes(start + "/Daily.twd", original);
    ASSERT_EQ(copy->CopyToFloppy(start + "/Daily.twd"), kCopyDone);
    EXPECT_EQ(ReadBytes(floppy + "/Daily.twd"), original);

    std::filesystem::remove(start + "/Daily.twd");
    ASSERT_EQ(copy->CopyToHardDrive(floppy + "/Daily.twd"), kCopyDone);
    EXPECT_EQ(ReadBytes(start + "/Daily.twd"), original);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(Leftovers(floppy, {"Daily.twd"}).empty());
    EXPECT_TRUE(Leftovers(start, {"Daily.twd"}).empty());
}

// 0 entries; one buffer less a little; just over one buffer; several buffers.
INSTANTIATE_TEST_SUITE_P(Entries, DirFileCopySizeTest, ::testing::Values(0, 228, 230, 1200));

TEST_F(DirFileCopyTest, EmptySourceGivesEmptyCopy) {
    WriteBytes(start + "/Empty.twd", {});
    ASSERT_EQ(copy->CopyToFloppy(start + "/Empty.twd"), kCopyDone);
    EXPECT_TRUE(std::filesystem::exists(floppy + "/Empty.twd"));
    EXPECT_EQ(std::filesystem::file_size(floppy + "/Empty.twd"), 0u);
}

TEST_F(DirFileCopyTest, ExistingFloppyFileIsNamedWithoutItsFolder) {
    WriteBytes(start + "/Daily.twd", Catalog(2, 0));
    WriteBytes(floppy + "/Daily.twd", Catalog(1, 0));
    messages.answers = {kMessageOk};
    ASSERT_EQ(copy->CopyToFloppy(start + "/Daily.twd"), kCopyDone);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              (RecordedMessage{"Directory File 'Daily.twd' already exists on floppy. Overwrite?", Question}));
    EXPECT_EQ(ReadBytes(floppy + "/Daily.twd"), Catalog(2, 0));
}

TEST_F(DirFileCopyTest, ExistingHardDriveFileIsNamedByItsPathWithoutLeadingSlash) {
    WriteBytes(floppy + "/Daily.twd", Catalog(2, 0));
    WriteBytes(start + "/Daily.twd", Catalog(1, 0));
    messages.answers = {kMessageOk};
    ASSERT_EQ(copy->CopyToHardDrive(floppy + "/Daily.twd"), kCopyDone);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Directory File '" + start.substr(1) + "/Daily.twd' already exists on harddrive. Overwrite?");
    EXPECT_EQ(messages.shown[0].kind, Question);
    EXPECT_EQ(ReadBytes(start + "/Daily.twd"), Catalog(2, 0));
}

TEST_F(DirFileCopyTest, DeclinedOverwriteLeavesDestinationUntouched) {
    WriteBytes(start + "/Daily.twd", Catalog(2, 0));
    WriteBytes(floppy + "/Daily.twd", Catalog(1, 7));
    messages.answers = {kMessageCancel};
    EXPECT_EQ(copy->CopyToFloppy(start + "/Daily.twd"), kCopyDeclined);
    EXPECT_EQ(ReadBytes(floppy + "/Daily.twd"), Catalog(1, 7));

    messages.answers = {kMessageCancel};
    WriteBytes(floppy + "/Daily.twd", Catalog(3, 0));
    EXPECT_EQ(copy->CopyToHardDrive(floppy + "/Daily.twd"), kCopyDeclined);
    EXPECT_EQ(ReadBytes(start + "/Daily.twd"), Catalog(2, 0));
    EXPECT_TRUE(Leftovers(floppy, {"Daily.twd"}).empty());
}

TEST_F(DirFileCopyTest, MissingSourceIsMinusOneWithoutQuestion) {
    WriteBytes(floppy + "/Gone.twd", Catalog(1, 0));
    EXPECT_EQ(copy->CopyToFloppy(start + "/Gone.twd"), kCopySourceUnreadable);
    EXPECT_EQ(copy->CopyToHardDrive(floppy + "/Missing.twd"), kCopySourceUnreadable);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadBytes(floppy + "/Gone.twd"), Catalog(1, 0));
}

TEST_F(DirFileCopyTest, FolderAsSourceIsUnreadable) {
    std::filesystem::create_directories(start + "/Odd.twd");
    EXPECT_EQ(copy->CopyToFloppy(start + "/Odd.twd"), kCopySourceUnreadable);
    EXPECT_FALSE(std::filesystem::exists(floppy + "/Odd.twd"));
}

TEST_F(DirFileCopyTest, MissingFloppyFolderIsNoDiskAndMinusThree) {
    std::filesystem::remove_all(floppy);
    WriteBytes(start + "/Daily.twd", Catalog(1, 0));
    EXPECT_EQ(copy->CopyToFloppy(start + "/Daily.twd"), kCopyDestinationUnwritable);
    EXPECT_FALSE(std::filesystem::exists(floppy));
}

TEST_F(DirFileCopyTest, FolderInTheWayOfTheDestinationIsMinusThreeAndLeavesNoTemporary) {
    WriteBytes(start + "/Daily.twd", Catalog(1, 0));
    std::filesystem::create_directories(floppy + "/Daily.twd");
    EXPECT_EQ(copy->CopyToFloppy(start + "/Daily.twd"), kCopyDestinationUnwritable);
    EXPECT_TRUE(std::filesystem::is_directory(floppy + "/Daily.twd"));
    EXPECT_TRUE(Leftovers(floppy, {"Daily.twd"}).empty());
}

// A disk that fills up in the middle of the copy: the old directory file on
// it must stay whole, not be cut to what fitted.
TEST_F(DirFileCopyTest, WriteFailureMidCopyKeepsTheOldDestinationWhole) {
    const Bytes big = Catalog(1200, 0);
    const Bytes old = Catalog(3, 5);
    WriteBytes(start + "/Daily.twd", big);
    WriteBytes(floppy + "/Daily.twd", old);
    messages.answers = {kMessageOk};

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;  // beyond the first buffer, short of the file
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = copy->CopyToFloppy(start + "/Daily.twd");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, kCopyDestinationUnwritable);
    EXPECT_EQ(ReadBytes(floppy + "/Daily.twd"), old);
    EXPECT_TRUE(Leftovers(floppy, {"Daily.twd"}).empty());
}

// With the floppy folder and the start directory the same, a confirmed copy
// of a file onto itself must not empty it.
TEST_F(DirFileCopyTest, CopyOntoItselfKeepsTheContent) {
    DirFileCopy same(messages, start, start);
    const Bytes original = Catalog(4, 9);
    WriteBytes(start + "/Daily.twd", original);
    messages.answers = {kMessageOk};
    EXPECT_EQ(same.CopyToFloppy(start + "/Daily.twd"), kCopyDone);
    EXPECT_EQ(ReadBytes(start + "/Daily.twd"), original);
}

TEST_F(DirFileCopyTest, StaleTemporaryOfThisProcessIsReplaced) {
    WriteBytes(start + "/Daily.twd", Catalog(2, 0));
    const std::string stale = floppy + "/.Daily.twd.tw-copy-" + std::to_string(getpid());
    std::filesystem::create_symlink(start + "/Daily.twd", stale);
    ASSERT_EQ(copy->CopyToFloppy(start + "/Daily.twd"), kCopyDone);
    EXPECT_EQ(ReadBytes(floppy + "/Daily.twd"), Catalog(2, 0));
    EXPECT_FALSE(std::filesystem::is_symlink(floppy + "/Daily.twd"));
    EXPECT_EQ(ReadBytes(start + "/Daily.twd"), Catalog(2, 0));
    EXPECT_TRUE(Leftovers(floppy, {"Daily.twd"}).empty());
}

}  // namespace

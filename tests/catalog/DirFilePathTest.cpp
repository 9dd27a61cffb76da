// The directory file's path is built from a tape name read from tape, so a
// name that would leave the start directory must be refused.

#include <gtest/gtest.h>

#include "catalog/DirFilePath.h"

namespace {

TEST(DirFilePathTest, StartDirectorySlashNameExtension) {
    std::string path;
    ASSERT_EQ(DirFilePath("/home/u/backup", "Daily", path), 0);
    EXPECT_EQ(path, "/home/u/backup/Daily.twd");
}

TEST(DirFilePathTest, RootStartDirectoryGetsOneSlash) {
    std::string path;
    ASSERT_EQ(DirFilePath("/", "Daily", path), 0);
    EXPECT_EQ(path, "/Daily.twd");
}

TEST(DirFilePathTest, NameKeepsItsCaseAndBlanks) {
    std::string path;
    ASSERT_EQ(DirFilePath("/b", "My Tape 2", path), 0);
    EXPECT_EQ(path, "/b/My Tape 2.twd");
}

TEST(DirFilePathTest, LongestTapeNameFits) {
    std::string path;
    ASSERT_EQ(DirFilePath("/b", std::string(49, 'x'), path), 0);
}

class DirFilePathRefusal : public ::testing::TestWithParam<std::string> {};

TEST_P(DirFilePathRefusal, NameCannotLeaveStartDirectory) {
    std::string path = "unchanged";
    EXPECT_EQ(DirFilePath("/b", GetParam(), path), -1);
    EXPECT_EQ(path, "unchanged");
}

INSTANTIATE_TEST_SUITE_P(BadNames, DirFilePathRefusal,
                         ::testing::Values("", ".", "..", "../etc/passwd", "a/b", "/abs", "x/", std::string(50, 'x')));

TEST(DirFilePathTest, EmptyStartDirectoryRefused) {
    std::string path;
    EXPECT_EQ(DirFilePath("", "Daily", path), -1);
}

}  // namespace

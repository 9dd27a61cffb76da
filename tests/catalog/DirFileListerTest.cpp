// Listing a directory file into a list: rows in file order with their
// images, the "<Up>" row, and the failures with their messages.
#include "catalog/DirFileLister.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "lists/ListModel.h"
#include "support/BrowserTree.h"
#include "support/ScriptedMessages.h"

class DirFileListerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tree.Root().empty());
        ASSERT_EQ(dirFile.CreateForNewTape("Daily", path), 0);
    }
    void Add(const std::string& name, std::int32_t size) {
        ASSERT_EQ(dirFile.AppendEntry(path, name, "01.02.2003", "04.05.2006", size, 1), 0);
    }

    BrowserTree tree;
    const std::string path = tree.Path("Daily.twd");
    ScriptedMessages messages;
    DirFile dirFile{messages};
    int statusQueries = 0;
    DirFileLister lister{dirFile, messages, [this] { ++statusQueries; }};
    ListModel list;
};

TEST_F(DirFileListerTest, RowsFollowTheFileOrderWithAllFourTexts) {
    Add("zeta.txt", 12);
    Add("alpha.txt", 0);
    ASSERT_EQ(lister.ListDirFile(list, path, false), 0);
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Row(0).texts, (std::vector<std::string>{"zeta.txt", "12", "01.02.2003", "04.05.2006"}));
    EXPECT_EQ(list.Row(1).Text(0), "alpha.txt");
    EXPECT_EQ(list.Row(1).Text(1), "0");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DirFileListerTest, ZipInAnyCaseAtTheEndMakesAnArchive) {
    for (const char* name : {"report.ZIP", "backup.zip", "a.zipx", "zi", "zip"}) Add(name, 1);
    ASSERT_EQ(lister.ListDirFile(list, path, false), 0);
    std::vector<int> images;
    for (const auto& row : list.Rows()) images.push_back(row.image);
    EXPECT_EQ(images, (std::vector<int>{kImageArchive, kImageArchive, kImageFile, kImageFile, kImageArchive}));
}

TEST_F(DirFileListerTest, RefillDropsTheOldRowsAndAHeaderOnlyFileGivesNone) {
    list.AddRow({{"old"}, kImageFile, 0});
    ASSERT_EQ(lister.ListDirFile(list, path, false), 0);
    EXPECT_EQ(list.RowCount(), 0u);
}

TEST_F(DirFileListerTest, UpRowComesFirstAndShiftsTheEntries) {
    Add("one", 1);
    ASSERT_EQ(lister.ListDirFile(list, path, true), 0);
    ASSERT_EQ(list.RowCount(), 2u);
    EXPECT_EQ(list.Row(0).Text(0), "..");
    EXPECT_EQ(list.Row(0).Text(1), "<Up>");
    EXPECT_EQ(list.Row(0).image, kImageDirFile);
    EXPECT_EQ(list.Row(1).Text(0), "one");
}

TEST_F(DirFileListerTest, SizeBeyondTheSignedFieldShowsNegative) {
    Add("big", static_cast<std::int32_t>(0x80000000u));
    ASSERT_EQ(lister.ListDirFile(list, path, false), 0);
    EXPECT_EQ(list.Row(0).Text(1), "-2147483648");
}

TEST_F(DirFileListerTest, MissingFileIsReportedAndTheDriveStatusShown) {
    list.AddRow({{"old"}, kImageFile, 0});
    EXPECT_EQ(lister.ListDirFile(list, tree.Path("none.twd"), true), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error opening dir file on hard drive", Error}}));
    EXPECT_EQ(statusQueries, 1);
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Row(0).Text(0), "..");
}

TEST_F(DirFileListerTest, EntryCutShortEndsTheList) {
    Add("whole", 1);
    Add("cut", 1);
    std::filesystem::resize_file(path, 78 + 286 + 100);
    ASSERT_EQ(lister.ListDirFile(list, path, false), 0);
    ASSERT_EQ(list.RowCount(), 1u);
    EXPECT_EQ(list.Row(0).Text(0), "whole");
}

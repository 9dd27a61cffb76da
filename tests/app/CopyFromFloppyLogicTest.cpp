// The Copy From Floppy dialog's logic over real folders: the floppy view and
// its order, the contents view and the way back, and OK in both views with
// every outcome of the copies.

#include "app/CopyFromFloppyLogic.h"

#include <gtest/gtest.h>

#include "app/DriveBrowser.h"
#include "catalog/DirFileCopy.h"
#include "lists/ListImage.h"
#include "support/FloppyFolders.h"

namespace {

class CopyFromFloppyLogicTest : public ::testing::Test {
protected:
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& row : logic.List().Rows()) names.push_back(row.Text(0));
        return names;
    }
    void Focus(const std::string& text) {
        std::vector<bool> none(logic.List().RowCount(), false);
        for (std::size_t i = 0; i < logic.List().RowCount(); ++i)
            if (logic.List().Row(i).Text(0) == text) {
                logic.List().SetSelection(none, static_cast<std::ptrdiff_t>(i));
                return;
            }
        ADD_FAILURE() << "no row " << text;
    }
    void Select(const std::vector<std::string>& texts) {
        std::vector<bool> selected(logic.List().RowCount(), false);
        for (std::size_t i = 0; i < selected.size(); ++i)
            selected[i] = std::find(texts.begin(), texts.end(), logic.List().Row(i).Text(0)) != texts.end();
        logic.List().SetSelection(selected, -1);
    }

    FloppyFolders folders;
    ScriptedMessages dialogMessages;
    ScriptedMessages copyMessages;
    ScriptedMessages browserMessages;
    DirFile dirFile{copyMessages};
    DirFileCopy copy{copyMessages, folders.start, folders.floppy};
    DriveBrowser browser{browserMessages};
    CopyFromFloppyLogic logic{dialogMessages, browser, dirFile, copy};
};

TEST_F(CopyFromFloppyLogicTest, FloppyViewListsDirectoryFilesSortedByName) {
    for (const char* tape : {"Zeta", "alpha", "Dailyb", "Dailya"}) FloppyFolders::WriteCatalog(folders.floppy, tape, {});
    FloppyFolders::WriteCatalog(folders.floppy, "x", {});
    std::filesystem::rename(folders.floppy + "/x.twd", folders.floppy + "/notes.txt");
    ASSERT_TRUE(logic.Initialise());
    EXPECT_EQ(logic.PathLabel(), folders.floppy + "/");
    EXPECT_FALSE(logic.ShowsContents());
    EXPECT_EQ(Names(), (std::vector<std::string>{"alpha", "Dailya", "Dailyb", "Zeta"}));
    for (const auto& row : logic.List().Rows()) {
        EXPECT_EQ(row.image, kImageDirFile);
        EXPECT_EQ(row.Text(1), "<TapeDir>");
    }
    const auto& columns = logic.List().Columns();
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0], (ListColumn{"Filename", 200, ColumnAlign::Left}));
    EXPECT_EQ(columns[1], (ListColumn{"Size", 63, ColumnAlign::Right}));
    EXPECT_EQ(columns[2], (ListColumn{"FileDate", 66, ColumnAlign::Left}));
    EXPECT_TRUE(browserMessages.shown.empty());
}

TEST_F(CopyFromFloppyLogicTest, MissingFloppyFolderIsNoDisk) {
    std::filesystem::remove_all(folders.floppy);
    EXPECT_FALSE(logic.Initialise());
    EXPECT_EQ(browserMessages.shown, (std::vector<RecordedMessage>{{"Change Dir Error!", Error}}));
    EXPECT_TRUE(dialogMessages.shown.empty());
}

TEST_F(CopyFromFloppyLogicTest, ContentsViewShowsEntriesSortedBehindTheUpRow) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"report.ZIP", "b.txt", "A.doc"});
    ASSERT_TRUE(logic.Initialise());
    Focus("Daily");
    logic.OpenFocused();
    EXPECT_TRUE(logic.ShowsContents());
    EXPECT_EQ(logic.PathLabel(), "Contents of Directory File '" + folders.floppy + "/Daily':");
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "A.doc", "b.txt", "report.ZIP"}));
    const auto& rows = logic.List().Rows();
    EXPECT_EQ(rows[0].texts, (std::vector<std::string>{"..", "<Up>"}));
    EXPECT_EQ(rows[0].image, kImageDirFile);
    // Sizes were given in file order from 100; no backup date column.
    EXPECT_EQ(rows[1].texts, (std::vector<std::string>{"A.doc", "102", "01.02.2003"}));
    EXPECT_EQ(rows[1].image, kImageFile);
    EXPECT_EQ(rows[3].image, kImageArchive);
    EXPECT_TRUE(dialogMessages.shown.empty());
}

TEST_F(CopyFromFloppyLogicTest, UpRowReturnsToTheFloppyViewAndEntryRowsAreIgnored) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"a.txt"});
    FloppyFolders::WriteCatalog(folders.floppy, "Weekly", {});
    ASSERT_TRUE(logic.Initialise());
    Focus("Daily");
    logic.OpenFocused();
    Focus("a.txt");
    logic.OpenFocused();
    EXPECT_TRUE(logic.ShowsContents());
    EXPECT_EQ(Names(), (std::vector<std::string>{"..", "a.txt"}));
    Focus("..");
    logic.OpenFocused();
    EXPECT_FALSE(logic.ShowsContents());
    EXPECT_EQ(logic.PathLabel(), folders.floppy + "/");
    EXPECT_EQ(Names(), (std::vector<std::string>{"Daily", "Weekly"}));
}

TEST_F(CopyFromFloppyLogicTest, VanishedDirectoryFileLeavesOnlyTheUpRow) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"a.txt"});
    ASSERT_TRUE(logic.Initialise());
    std::filesystem::remove(folders.floppy + "/Daily.twd");
    Focus("Daily");
    logic.OpenFocused();
    EXPECT_EQ(Names(), (std::vector<std::string>{".."}));
    EXPECT_EQ(dialogMessages.shown, (std::vector<RecordedMessage>{{"Error opening dir file on hard drive", Error}}));
}

TEST_F(CopyFromFloppyLogicTest, OneConfirmedOverwriteAmongDeclinedOnesCloses) {
    const auto daily = FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"new.txt"});
    FloppyFolders::WriteCatalog(folders.floppy, "Weekly", {"new.txt"});
    FloppyFolders::WriteCatalog(folders.start, "Daily", {});
    const auto oldWeekly = FloppyFolders::WriteCatalog(folders.start, "Weekly", {});
    ASSERT_TRUE(logic.Initialise());
    Select({"Daily", "Weekly"});
    copyMessages.answers = {kMessageOk, kMessageCancel};
    EXPECT_TRUE(logic.Accept());
    EXPECT_EQ(FloppyFolders::ReadBytes(folders.start + "/Daily.twd"), daily);
    EXPECT_EQ(FloppyFolders::ReadBytes(folders.start + "/Weekly.twd"), oldWeekly);
}

TEST_F(CopyFromFloppyLogicTest, UnreadableSourceInFloppyViewStopsWithCapitalF) {
    FloppyFolders::WriteCatalog(folders.floppy, "Alpha", {});
    FloppyFolders::WriteCatalog(folders.floppy, "Beta", {});
    FloppyFolders::WriteCatalog(folders.floppy, "Gamma", {});
    ASSERT_TRUE(logic.Initialise());
    Select({"Alpha", "Beta", "Gamma"});
    std::filesystem::remove(folders.floppy + "/Beta.twd");
    EXPECT_FALSE(logic.Accept());
    EXPECT_EQ(dialogMessages.shown,
              (std::vector<RecordedMessage>{{"Error reading Directory File from Floppy", Error}}));
    EXPECT_TRUE(std::filesystem::exists(folders.start + "/Alpha.twd"));
    EXPECT_FALSE(std::filesystem::exists(folders.start + "/Gamma.twd"));
}

TEST_F(CopyFromFloppyLogicTest, ContentsViewWordsItsErrorsWithSmallF) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"a.txt"});
    ASSERT_TRUE(logic.Initialise());
    Focus("Daily");
    logic.OpenFocused();
    std::filesystem::remove(folders.floppy + "/Daily.twd");
    EXPECT_FALSE(logic.Accept());
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"a.txt"});
    std::filesystem::remove_all(folders.start);
    EXPECT_FALSE(logic.Accept());
    EXPECT_EQ(dialogMessages.shown,
              (std::vector<RecordedMessage>{{"Error reading Directory File from floppy", Error},
                                            {"Error writing Directory File to harddrive", Error}}));
}

TEST_F(CopyFromFloppyLogicTest, DeclinedOverwriteInContentsViewStaysOpen) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"a.txt"});
    const auto old = FloppyFolders::WriteCatalog(folders.start, "Daily", {});
    ASSERT_TRUE(logic.Initialise());
    Focus("Daily");
    logic.OpenFocused();
    copyMessages.answers = {kMessageCancel};
    EXPECT_FALSE(logic.Accept());
    EXPECT_EQ(FloppyFolders::ReadBytes(folders.start + "/Daily.twd"), old);
    EXPECT_TRUE(dialogMessages.shown.empty());
}

}  // namespace

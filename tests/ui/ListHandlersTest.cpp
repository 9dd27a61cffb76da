// Marking and browsing as the user does it through the list handlers, on a
// real folder tree: the marks, bytesTotal and the byte label, navigation and
// its labels, and the Utilities tab's view of one directory file.
#include "ui/ListHandlers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "CommandsFixture.h"
#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "ui/TabLayout.h"

class ListHandlersTest : public CommandsFixture {
protected:
    void SetUp() override {
        CommandsFixture::SetUp();
        tree.Folder("data/sub");
        tree.File("data/a.txt", 100);
        tree.File("data/b.zip", 20);
        tree.File("data/c.doc", 3);
        InstallScriptedDrive();
        Start();
        Browse(tree.Path("data"));
    }
    // Shows folder in the Backup tab's browser, as after navigating there.
    void Browse(const std::string& folder) {
        State().browseDirectory = folder;
        window->ChooseTab(kRestoreTab);
        window->ChooseTab(kBackupTab);
    }
    void ClickLeft(const std::string& name, const std::vector<std::string>& alsoSelected = {}) {
        std::vector<std::size_t> others;
        for (const auto& other : alsoSelected) others.push_back(static_cast<std::size_t>(IndexOf(Left(), other)));
        Click(Left(), static_cast<std::size_t>(IndexOf(Left(), name)), others);
        window->ClickLeft();
    }
    void DoubleClick(ListModel& list, const std::string& name, bool left) {
        Click(list, static_cast<std::size_t>(IndexOf(list, name)));
        if (left)
            window->DoubleClickLeft();
        else
            window->DoubleClickRight();
    }
    // A catalog in the start directory with the given entries.
    std::string MakeCatalog(const std::string& tape, const std::vector<std::pair<std::string, int>>& entries) {
        DirFile dirFile(messages);
        const std::string path = tree.Path("start/" + tape + ".twd");
        EXPECT_EQ(dirFile.CreateForNewTape(tape, path), 0);
        for (const auto& [name, size] : entries)
            EXPECT_EQ(dirFile.AppendEntry(path, name, "01.02.2003", "04.05.2006", size, 1), 0);
        return path;
    }
    ListModel& Left() { return State().leftList; }
    ListModel& Right() { return State().rightList; }
    std::int64_t Total() { return BytesTotal(); }
};

TEST_F(ListHandlersTest, ClickMarksAFileRedAndASecondClickUnmarksIt) {
    ClickLeft("a.txt");
    EXPECT_EQ(ImageOf(Left(), "a.txt"), kImageFileBackup);
    EXPECT_EQ(Total(), 100);
    EXPECT_EQ(State().byteLabel, "0 / 100 Bytes");
    ClickLeft("b.zip");
    EXPECT_EQ(ImageOf(Left(), "b.zip"), kImageArchiveBackup);
    EXPECT_EQ(Total(), 120);
    ClickLeft("a.txt");
    EXPECT_EQ(ImageOf(Left(), "a.txt"), kImageFile);
    EXPECT_EQ(Total(), 20);
    EXPECT_EQ(State().byteLabel, "0 / 20 Bytes");
}

TEST_F(ListHandlersTest, ClickOnAFolderMarksNothing) {
    ClickLeft("sub");
    EXPECT_EQ(ImageOf(Left(), "sub"), kImageFolder);
    EXPECT_EQ(Total(), 0);
}

TEST_F(ListHandlersTest, MultipleSelectionMarksTheRestAndTogglesTheClickedRow) {
    ClickLeft("a.txt");
    // a.txt is marked: the Ctrl-click on it unmarks it, the others get marked.
    ClickLeft("a.txt", {"b.zip", "c.doc"});
    EXPECT_EQ(ImageOf(Left(), "a.txt"), kImageFile);
    EXPECT_EQ(ImageOf(Left(), "b.zip"), kImageArchiveBackup);
    EXPECT_EQ(ImageOf(Left(), "c.doc"), kImageFileBackup);
    EXPECT_EQ(Total(), 23);
    // A marked row in the rest of a selection stays marked.
    ClickLeft("a.txt", {"b.zip"});
    EXPECT_EQ(ImageOf(Left(), "b.zip"), kImageArchiveBackup);
    EXPECT_EQ(Total(), 123);
}

TEST_F(ListHandlersTest, DotMarksEveryFileAndTurnsRedThenUnmarkingOneTurnsItYellow) {
    ClickLeft(".");
    EXPECT_EQ(ImageOf(Left(), "."), kImageRedFolder);
    EXPECT_EQ(ImageOf(Left(), "a.txt"), kImageFileBackup);
    EXPECT_EQ(ImageOf(Left(), "b.zip"), kImageArchiveBackup);
    EXPECT_EQ(ImageOf(Left(), "c.doc"), kImageFileBackup);
    EXPECT_EQ(ImageOf(Left(), "sub"), kImageFolder);
    EXPECT_EQ(Total(), 123);
    EXPECT_EQ(State().byteLabel, "0 / 123 Bytes");
    ClickLeft("c.doc");
    EXPECT_EQ(ImageOf(Left(), "."), kImageFolder);
    EXPECT_EQ(ImageOf(Left(), "c.doc"), kImageFile);
    EXPECT_EQ(Total(), 120);
}

TEST_F(ListHandlersTest, RedDotUnmarksEverything) {
    ClickLeft(".");
    ClickLeft(".");
    EXPECT_EQ(ImageOf(Left(), "."), kImageFolder);
    for (const char* name : {"a.txt", "c.doc"}) EXPECT_EQ(ImageOf(Left(), name), kImageFile);
    EXPECT_EQ(ImageOf(Left(), "b.zip"), kImageArchive);
    EXPECT_EQ(Total(), 0);
}

TEST_F(ListHandlersTest, AllAndNoneOnRestoreMarkTheCatalogGreenAndClearIt) {
    TapeName() = "Daily";
    DirFilePath() = MakeCatalog("Daily", {{"report.ZIP", 5}, {"notes.txt", 7}});
    window->ChooseTab(kRestoreTab);
    ASSERT_EQ(Names(Left()), (std::vector<std::string>{"report.ZIP", "notes.txt"}));
    window->MarkAll();
    EXPECT_EQ(ImageOf(Left(), "report.ZIP"), kImageArchiveRestore);
    EXPECT_EQ(ImageOf(Left(), "notes.txt"), kImageFileRestore);
    EXPECT_EQ(Total(), 12);
    EXPECT_EQ(State().byteLabel, "0 / 12 Bytes");
    window->MarkNone();
    EXPECT_EQ(ImageOf(Left(), "report.ZIP"), kImageArchive);
    EXPECT_EQ(ImageOf(Left(), "notes.txt"), kImageFile);
    EXPECT_EQ(Total(), 0);
    EXPECT_EQ(State().byteLabel, "0 / 0 Bytes");
}

TEST_F(ListHandlersTest, VerifyTabMarksMagenta) {
    TapeName() = "Daily";
    DirFilePath() = MakeCatalog("Daily", {{"a.zip", 1}, {"b", 2}});
    window->ChooseTab(kVerifyTab);
    ClickLeft("b");
    EXPECT_EQ(ImageOf(Left(), "b"), kImageFileVerify);
    window->MarkAll();
    EXPECT_EQ(ImageOf(Left(), "a.zip"), kImageArchiveVerify);
    EXPECT_EQ(Total(), 3);
}

TEST_F(ListHandlersTest, DoubleClickEntersAFolderAndResetsTheTotal) {
    ClickLeft("a.txt");
    DoubleClick(Left(), "sub", true);
    EXPECT_EQ(State().browseDirectory, tree.Path("data/sub/"));
    EXPECT_EQ(window->BrowsedFolder(), tree.Path("data/sub/"));
    EXPECT_EQ(Total(), 0);
    EXPECT_EQ(State().byteLabel, "0 / 0 Bytes");
    DoubleClick(Left(), "..", true);
    EXPECT_EQ(State().browseDirectory, tree.Path("data/"));
    EXPECT_EQ(ImageOf(Left(), "a.txt"), kImageFile);
}

TEST_F(ListHandlersTest, BrowsePathOf45CharactersShowsWholeAnd46IsCut) {
    // Folder names that make the path, with its final "/", 45 and 46 long.
    const std::size_t base = tree.Path("data/").size();
    ASSERT_LT(base + 2, 45u);
    const std::string name45(45 - base - 1, 'f');
    const std::string name46(46 - base - 1, 'g');
    tree.Folder("data/" + name45);
    tree.Folder("data/" + name46);
    Browse(tree.Path("data"));
    DoubleClick(Left(), name45, true);
    ASSERT_EQ(State().browseDirectory.size(), 45u);
    EXPECT_EQ(State().leftLabel, State().browseDirectory);
    EXPECT_EQ(State().leftLabelWhole, "");
    DoubleClick(Left(), "..", true);
    DoubleClick(Left(), name46, true);
    const std::string path = State().browseDirectory;
    ASSERT_EQ(path.size(), 46u);
    EXPECT_EQ(State().leftLabel, path.substr(0, 3) + "..." + path.substr(6));
    // The whole path for the label's tooltip.
    EXPECT_EQ(State().leftLabelWhole, path);
}

TEST_F(ListHandlersTest, FolderThatVanishedShowsChangeDirErrorAndKeepsListAndMarks) {
    ClickLeft("a.txt");
    std::filesystem::remove(tree.Path("data/sub"));
    DoubleClick(Left(), "sub", true);
    EXPECT_EQ(browserMessages.shown, (std::vector<RecordedMessage>{{"Change Dir Error!", Error}}));
    EXPECT_EQ(State().browseDirectory, tree.Path("data/"));
    EXPECT_EQ(ImageOf(Left(), "a.txt"), kImageFileBackup);
    EXPECT_EQ(Total(), 100);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ListHandlersTest, DoubleClickInTheLeftListBrowsesOnlyOnBackup) {
    TapeName() = "Daily";
    DirFilePath() = MakeCatalog("Daily", {{"a.txt", 1}});
    window->ChooseTab(kRestoreTab);
    DoubleClick(Left(), "a.txt", true);
    EXPECT_EQ(Names(Left()), std::vector<std::string>{"a.txt"});
}

TEST_F(ListHandlersTest, DoubleClickInTheRightListBrowsesOnRestoreAndKeepsTheLeftTotal) {
    TapeName() = "Daily";
    DirFilePath() = MakeCatalog("Daily", {{"a.txt", 9}});
    window->ChooseTab(kRestoreTab);
    window->MarkAll();
    DoubleClick(Right(), "sub", false);
    EXPECT_EQ(State().browseDirectory, tree.Path("data/sub/"));
    EXPECT_EQ(State().rightLabel, State().browseDirectory);
    EXPECT_EQ(Total(), 9);
    DoubleClick(Right(), "/", false);
    EXPECT_EQ(State().browseDirectory, "/");
}

TEST_F(ListHandlersTest, FolderAmongTheCatalogsIsEnteredFromTheStartDirectory) {
    tree.Folder("start/old.twd");
    tree.File("start/old.twd/inside.txt", 1);
    window->ChooseTab(kUtilitiesTab);
    DoubleClick(Right(), "old.twd", false);
    EXPECT_TRUE(browserMessages.shown.empty());
    EXPECT_EQ(State().browseDirectory, tree.Path("start/old.twd/"));
    const auto names = Names(Right());
    EXPECT_NE(std::find(names.begin(), names.end(), "inside.txt"), names.end());
}

TEST_F(ListHandlersTest, UtilitiesShowsOneCatalogWithAnUpRowAndReturnsToTheList) {
    MakeCatalog("Monday", {{"week.zip", 10}, {"plan.txt", 2}});
    window->ChooseTab(kUtilitiesTab);
    ASSERT_EQ(Names(Right()), std::vector<std::string>{"Monday"});
    EXPECT_EQ(State().rightLabel, "Tape Directory Files:");
    DoubleClick(Right(), "Monday", false);
    EXPECT_EQ(State().rightLabel, "Contents of tape 'Monday':");
    ASSERT_EQ(Names(Right()), (std::vector<std::string>{"..", "week.zip", "plan.txt"}));
    EXPECT_EQ(Right().Row(0).Text(1), "<Up>");
    EXPECT_EQ(Right().Row(0).image, kImageDirFile);
    EXPECT_EQ(Right().Row(1).image, kImageArchive);
    DoubleClick(Right(), "..", false);
    EXPECT_EQ(State().rightLabel, "Tape Directory Files:");
    EXPECT_EQ(Names(Right()), std::vector<std::string>{"Monday"});
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ListHandlersTest, EnterOpensOnlyASelectedFolderOrCatalogAndLeavesFilesToStart) {
    Left().SetSelection({}, IndexOf(Left(), "sub"));
    EXPECT_FALSE(window->OpenLeft()) << "focused but not selected";
    Click(Left(), static_cast<std::size_t>(IndexOf(Left(), "a.txt")));
    EXPECT_FALSE(window->OpenLeft());
    Click(Left(), static_cast<std::size_t>(IndexOf(Left(), "sub")));
    EXPECT_TRUE(window->OpenLeft());
    EXPECT_EQ(window->BrowsedFolder(), tree.Path("data/sub/"));

    MakeCatalog("Monday", {{"week.zip", 10}});
    window->ChooseTab(kUtilitiesTab);
    Click(Right(), static_cast<std::size_t>(IndexOf(Right(), "Monday")));
    EXPECT_TRUE(window->OpenRight());
    EXPECT_EQ(State().rightLabel, "Contents of tape 'Monday':");
    Click(Right(), static_cast<std::size_t>(IndexOf(Right(), "week.zip")));
    EXPECT_FALSE(window->OpenRight());
}

TEST_F(ListHandlersTest, BackspaceGoesUpInTheBrowserAndBackToTheCatalogs) {
    DoubleClick(Left(), "sub", true);
    ClickLeft("..");
    window->UpLeft();
    EXPECT_EQ(window->BrowsedFolder(), tree.Path("data/"));
    EXPECT_EQ(State().leftLabel, tree.Path("data/"));
    window->ChooseTab(kRestoreTab);
    window->UpRight();
    EXPECT_EQ(State().rightLabel, tree.Root() + "/");

    MakeCatalog("Monday", {{"week.zip", 10}});
    window->ChooseTab(kUtilitiesTab);
    window->UpRight();
    EXPECT_EQ(Names(Right()), std::vector<std::string>{"Monday"}) << "the list of catalogs has no parent";
    DoubleClick(Right(), "Monday", false);
    window->UpRight();
    EXPECT_EQ(State().rightLabel, "Tape Directory Files:");
    EXPECT_EQ(Names(Right()), std::vector<std::string>{"Monday"});
}

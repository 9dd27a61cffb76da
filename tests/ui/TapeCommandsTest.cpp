// FORMAT Tape, Check, Eject and both "Dir Tape" commands on the virtual
// drive, without a window: the questions and their answers, every message,
// the catalog on disk, the current tape texts, labels and lists.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "app/DefaultAdapters.h"
#include "catalog/DirFile.h"
#include "CommandsFixture.h"
#include "lists/ListImage.h"
#include "tape/DateText.h"
#include "ui/TabLayout.h"

namespace {

const char kFormatQuestion[] = "Do you really want to format the tape and erase everything on it?";
const char kOverwriteQuestion[] = "A tape with that name exists already. Overwrite?";

}  // namespace

class TapeCommandsTest : public CommandsFixture {
protected:
    void SetUp() override {
        CommandsFixture::SetUp();
        tree.Folder("tapes");
        setenv("TAPEWREN_VTAPE", tree.Path("tapes").c_str(), 1);
        unsetenv("TAPEWREN_ISCSI");
        InstallDefaultAdapters();
        Start();
    }
    void TearDown() override {
        CommandsFixture::TearDown();
        unsetenv("TAPEWREN_VTAPE");
    }
    std::string Catalog(const std::string& tape) { return tree.Path("start/" + tape + ".twd"); }
    // Formats the inserted tape, confirming every question.
    void Format(const std::string& name) {
        messages.answers = {kMessageOk, kMessageOk};
        commands->FormatTape(name);
        messages.answers.clear();
        messages.shown.clear();
    }
    std::uintmax_t SizeOf(const std::string& path) { return std::filesystem::file_size(path); }
    void AddEntry(const std::string& tape) {
        DirFile dirFile(messages);
        ASSERT_EQ(dirFile.AppendEntry(Catalog(tape), "kept.txt", "01.01.2001", "02.01.2001", 5, 1), 0);
    }
};

TEST_F(TapeCommandsTest, FormatAsksOnceWritesTheTapeAndAnEmptyCatalog) {
    logic.ChooseTab(kUtilitiesTab);
    messages.answers = {kMessageOk};
    commands->FormatTape("Daily");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kFormatQuestion, Question}}));
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u);
    EXPECT_EQ(State().currentTapeName, "Daily");
    EXPECT_EQ(State().currentDirFilePath, Catalog("Daily"));
    EXPECT_EQ(Names(State().rightList), std::vector<std::string>{"Daily"});
    EXPECT_EQ(State().rightLabel, "Tape Directory Files:");
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, DecliningTheOverwriteLeavesTapeCatalogAndPathAlone) {
    Format("Daily");
    AddEntry("Daily");
    State().currentDirFilePath = "/previous.twd";
    messages.answers = {kMessageCancel};
    commands->FormatTape("Daily");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kOverwriteQuestion, Question}}));
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u + 286u);
    EXPECT_EQ(State().currentDirFilePath, "/previous.twd");
}

TEST_F(TapeCommandsTest, DecliningTheFormatRestoresThePathButListsTheCatalogsAgain) {
    Format("Daily");
    AddEntry("Daily");
    logic.ChooseTab(kUtilitiesTab);
    tree.File("start/Weekly.twd", 78);
    State().currentDirFilePath = "/previous.twd";
    messages.answers = {kMessageOk, kMessageCancel};
    commands->FormatTape("Daily");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kOverwriteQuestion, Question}, {kFormatQuestion, Question}}));
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u + 286u);
    EXPECT_EQ(State().currentDirFilePath, "/previous.twd");
    EXPECT_EQ(Names(State().rightList), (std::vector<std::string>{"Daily", "Weekly"}));
}

TEST_F(TapeCommandsTest, ConfirmedOverwriteEmptiesTheCatalog) {
    Format("Daily");
    AddEntry("Daily");
    Format("Daily");
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u);
}

TEST_F(TapeCommandsTest, EmptyNameIsRefused) {
    commands->FormatTape("");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"No tape name specified", Error}}));
}

TEST_F(TapeCommandsTest, NameThatLeavesTheStartDirectoryIsRefusedBeforeAnyQuestion) {
    for (const char* name : {"../escape", "a/b", ".", ".."}) {
        messages.shown.clear();
        commands->FormatTape(name);
        ASSERT_EQ(messages.shown.size(), 1u) << name;
        EXPECT_EQ(messages.shown[0].kind, Attention) << name;
        EXPECT_TRUE(State().currentDirFilePath.empty()) << name;
        EXPECT_TRUE(State().currentTapeName.empty()) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(tree.Path("escape.twd")));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("start/..twd")));
}

TEST_F(TapeCommandsTest, NameOf50CharactersIsTooLongForTheTape) {
    const std::string name(50, 'n');
    messages.answers = {kMessageOk};
    commands->FormatTape(name);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kFormatQuestion, Question},
                                                            {"Tape name too long!", Attention},
                                                            {"Error writing IdentBlock on Tape", Error}}));
    EXPECT_FALSE(std::filesystem::exists(Catalog(name)));
}

TEST_F(TapeCommandsTest, CheckShowsNameDateAndVersionOnThreeLines) {
    Format("BACKUP1");
    commands->CheckTape();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{
                                  {"Tape name: BACKUP1\nDate of formatting: " + TodayText() +
                                       "\nFormatted with Tapewren version: 1.6",
                                   Info}}));
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, CheckOfABlankTapeCannotReadTheIdentBlock) {
    commands->CheckTape();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading IdentBlock from tape", Error}}));
}

TEST_F(TapeCommandsTest, EjectLoadsTheNextCartridgeWhichIsBlank) {
    Format("Daily");
    commands->EjectTape();
    EXPECT_TRUE(messages.shown.empty());
    commands->CheckTape();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading IdentBlock from tape", Error}}));
}

TEST_F(TapeCommandsTest, DirTapeRightShowsTheCatalogUnderTheFullLabel) {
    Format("Archive2000");
    AddEntry("Archive2000");
    State().currentTapeName.clear();
    State().currentDirFilePath.clear();
    commands->DirTapeRight();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(State().rightLabel, "Tape: 'Archive2000'");
    EXPECT_EQ(State().currentTapeName, "Archive2000");
    EXPECT_EQ(State().currentDirFilePath, Catalog("Archive2000"));
    EXPECT_EQ(Names(State().rightList), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, DirTapeLeftCutsTheLabelAt25) {
    const std::string name(20, 'T');
    Format(name);
    logic.ChooseTab(kRestoreTab);
    commands->DirTapeLeft();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(State().leftLabel, "Tape: '" + std::string(17, 'T') + "...'");
    EXPECT_EQ(State().leftList.RowCount(), 0u);
}

TEST_F(TapeCommandsTest, DirTapeLeftDropsTheMarksAndTheirTotal) {
    Format("Daily");
    AddEntry("Daily");
    logic.ChooseTab(kRestoreTab);
    commands->DirTapeLeft();
    commands->Lists().MarkAll();
    ASSERT_EQ(logic.Counters().bytesTotal, 5);
    commands->DirTapeLeft();
    EXPECT_EQ(State().leftList.Row(0).image, kImageFile);
    EXPECT_EQ(logic.Counters().bytesTotal, 0);
    EXPECT_EQ(State().byteLabel, "0 / 0 Bytes");
}

TEST_F(TapeCommandsTest, DirTapeOfABlankTapeKeepsPathLabelAndStatus) {
    State().currentDirFilePath = "/previous.twd";
    commands->DirTapeRight();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading IdentBlock from tape", Error}}));
    EXPECT_EQ(State().currentDirFilePath, "/previous.twd");
    EXPECT_EQ(State().rightLabel, "Tape:");
    EXPECT_EQ(State().statusText, " Reading tape directory...");
}

TEST_F(TapeCommandsTest, DirTapeWithoutCatalogPointsToUtilitiesAndForgetsThePath) {
    Format("Daily");
    std::filesystem::remove(Catalog("Daily"));
    commands->DirTapeLeft();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{
                                  {"Error: DirFile not found on hard drive. \nYou can make or import a DirFile on "
                                   "the Utilities tab.",
                                   Error}}));
    EXPECT_TRUE(State().currentDirFilePath.empty());
    EXPECT_EQ(State().currentTapeName, "Daily");
}

TEST_F(TapeCommandsTest, CatalogOfAnEarlierTapeOfTheSameNameDoesNotMatch) {
    Format("Daily");
    DirFile dirFile(messages);
    ASSERT_EQ(dirFile.CreateFromIdent("Daily", Catalog("Daily"), "01.01.2001", "1.6"), 0);
    AddEntry("Daily");
    const auto before = Names(State().rightList);
    commands->DirTapeRight();
    commands->DirTapeLeft();
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{
                  {"Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities tab.",
                   Error},
                  {"Error: DirFile on hard drive and tape contents do not match. \nCheck that on the Utilities tab.",
                   Error}}));
    EXPECT_EQ(Names(State().rightList), before);
    EXPECT_EQ(State().currentDirFilePath, Catalog("Daily"));
}

TEST_F(TapeCommandsTest, CatalogWithoutMagicCannotBeRead) {
    Format("Daily");
    tree.File("start/Daily.twd", 100);
    commands->DirTapeRight();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading IdentBlock from hard drive", Error}}));
}

// FORMAT Tape, Check, Eject and both "Dir Tape" commands on the virtual
// drive, without a window: the questions and their answers, every message,
// the catalog on disk, the current tape texts, labels and lists.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "CommandsFixture.h"
#include "app/DefaultAdapters.h"
#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "support/EnvironmentGuard.h"
#include "support/TapImage.h"
#include "tape/DateText.h"
#include "ui/TabLayout.h"

namespace {

const char kFormatQuestion[] = "Do you really want to format the tape and erase everything on it?";
const char kOverwriteQuestion[] = "A tape with that name exists already. Overwrite?";
// The format question names the tape it would erase.
const std::string kFormatBlank = std::string(kFormatQuestion) +
                                 "\n\nThe tape in the drive has no name: it is blank or was not formatted by this program.";
// The window says what a failure means, as the command line does.
const std::string kBlankIdent = "Error reading IdentBlock from tape\n\nThe tape is blank: it has not been formatted. "
                                "Format it on the Utilities tab with \"FORMAT Tape\" first.";

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
        window->FormatTape(name);
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
    window->ChooseTab(kUtilitiesTab);
    messages.answers = {kMessageOk};
    window->FormatTape("Daily");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kFormatBlank, Question}}));
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u);
    EXPECT_EQ(TapeName(), "Daily");
    EXPECT_EQ(DirFilePath(), Catalog("Daily"));
    EXPECT_EQ(Names(State().rightList), std::vector<std::string>{"Daily"});
    EXPECT_EQ(State().rightLabel, "Tape Directory Files:");
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, DecliningTheOverwriteLeavesTapeCatalogAndPathAlone) {
    Format("Daily");
    AddEntry("Daily");
    DirFilePath() = "/previous.twd";
    messages.answers = {kMessageCancel};
    window->FormatTape("Daily");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kOverwriteQuestion, Question}}));
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u + 286u);
    EXPECT_EQ(DirFilePath(), "/previous.twd");
}

TEST_F(TapeCommandsTest, DecliningTheFormatRestoresThePathButListsTheCatalogsAgain) {
    Format("Daily");
    AddEntry("Daily");
    window->ChooseTab(kUtilitiesTab);
    tree.File("start/Weekly.twd", 78);
    DirFilePath() = "/previous.twd";
    messages.answers = {kMessageOk, kMessageCancel};
    window->FormatTape("Daily");
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{kOverwriteQuestion, Question},
                                            {std::string(kFormatQuestion) + "\n\nThe tape in the drive is 'Daily', "
                                                 "formatted " + TodayText() + "; by its catalog it holds 1 file record.",
                                             Question}}));
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u + 286u);
    EXPECT_EQ(DirFilePath(), "/previous.twd");
    EXPECT_EQ(Names(State().rightList), (std::vector<std::string>{"Daily", "Weekly"}));
}

TEST_F(TapeCommandsTest, ConfirmedOverwriteEmptiesTheCatalog) {
    Format("Daily");
    AddEntry("Daily");
    Format("Daily");
    EXPECT_EQ(SizeOf(Catalog("Daily")), 78u);
}

TEST_F(TapeCommandsTest, EmptyNameIsRefused) {
    window->FormatTape("");
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"No tape name specified", Error}}));
}

TEST_F(TapeCommandsTest, NameThatLeavesTheStartDirectoryIsRefusedBeforeAnyQuestion) {
    for (const char* name : {"../escape", "a/b", ".", ".."}) {
        messages.shown.clear();
        window->FormatTape(name);
        ASSERT_EQ(messages.shown.size(), 1u) << name;
        EXPECT_EQ(messages.shown[0].kind, Attention) << name;
        EXPECT_TRUE(DirFilePath().empty()) << name;
        EXPECT_TRUE(TapeName().empty()) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(tree.Path("escape.twd")));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("start/..twd")));
}

TEST_F(TapeCommandsTest, NameOf50CharactersIsTooLongForTheTape) {
    const std::string name(50, 'n');
    messages.answers = {kMessageOk};
    window->FormatTape(name);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kFormatBlank, Question},
                                                            {"Tape name too long!", Attention},
                                                            {"Error writing IdentBlock on Tape", Error}}));
    EXPECT_FALSE(std::filesystem::exists(Catalog(name)));
}

TEST_F(TapeCommandsTest, CheckShowsNameDateAndVersionOnThreeLines) {
    Format("BACKUP1");
    window->CheckTape();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{
                                  {"Tape name: BACKUP1\nDate of formatting: " + TodayText() +
                                       "\nFormatted with Tapewren version: 1.6",
                                   Info}}));
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, CheckOfABlankTapeCannotReadTheIdentBlock) {
    window->CheckTape();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kBlankIdent, Error}}));
}

TEST_F(TapeCommandsTest, EjectLoadsTheNextCartridgeWhichIsBlank) {
    Format("Daily");
    window->EjectTape();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(State().statusText, " Ready. Loaded: a tape without a name (blank or not formatted)");
    window->CheckTape();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kBlankIdent, Error}}));
}

TEST_F(TapeCommandsTest, AfterEjectTheTabsShowNoCatalogUnderTheNextTape) {
    Format("Daily");
    AddEntry("Daily");
    window->ChooseTab(kRestoreTab);
    ASSERT_EQ(Names(State().leftList), std::vector<std::string>{"kept.txt"});
    window->ChooseTab(kUtilitiesTab);
    window->EjectTape();
    window->ChooseTab(kRestoreTab);
    EXPECT_EQ(State().leftLabel, "Tape:");
    EXPECT_EQ(State().leftList.RowCount(), 0u);
    window->ChooseTab(kBackupTab);
    EXPECT_EQ(State().rightLabel, "Tape:");
    EXPECT_EQ(State().rightList.RowCount(), 0u);
}

TEST_F(TapeCommandsTest, DirTapeRightShowsTheCatalogUnderTheFullLabel) {
    Format("Archive2000");
    AddEntry("Archive2000");
    TapeName().clear();
    DirFilePath().clear();
    window->DirTapeRight();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(State().rightLabel, "Tape: 'Archive2000'");
    EXPECT_EQ(TapeName(), "Archive2000");
    EXPECT_EQ(DirFilePath(), Catalog("Archive2000"));
    EXPECT_EQ(Names(State().rightList), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, DirTapeLeftCutsTheLabelAt25) {
    const std::string name(20, 'T');
    Format(name);
    window->ChooseTab(kRestoreTab);
    window->DirTapeLeft();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(State().leftLabel, "Tape: '" + std::string(17, 'T') + "...'");
    EXPECT_EQ(State().leftLabelWhole, "Tape: '" + name + "'");
    EXPECT_EQ(State().leftList.RowCount(), 0u);
}

TEST_F(TapeCommandsTest, DirTapeLeftDropsTheMarksAndTheirTotal) {
    Format("Daily");
    AddEntry("Daily");
    window->ChooseTab(kRestoreTab);
    window->DirTapeLeft();
    window->MarkAll();
    ASSERT_EQ(BytesTotal(), 5);
    window->DirTapeLeft();
    EXPECT_EQ(State().leftList.Row(0).image, kImageFile);
    EXPECT_EQ(BytesTotal(), 0);
    EXPECT_EQ(State().byteLabel, "0 / 0 Bytes");
}

TEST_F(TapeCommandsTest, DirTapeOfABlankTapeKeepsPathAndLabelAndEndsWithTheDriveState) {
    DirFilePath() = "/previous.twd";
    window->DirTapeRight();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{kBlankIdent, Error}}));
    EXPECT_EQ(DirFilePath(), "/previous.twd");
    EXPECT_EQ(State().rightLabel, "Tape:");
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(TapeCommandsTest, DirTapeOfATapeWhoseNameCannotNameACatalogLeavesNoCatalogCurrent) {
    Format("Daily");
    // The cartridge labelled elsewhere: its name would lead out of the start
    // directory.
    window.reset();
    HostAdapterList::Install({});
    std::vector<std::uint8_t> ident(1024, 0);
    const std::string fields[] = {"TAPEWREN", "../x", "01.02.2026", "1.6"};
    const std::size_t offsets[] = {0, 9, 59, 70};
    for (int i = 0; i < 4; ++i) std::copy(fields[i].begin(), fields[i].end(), ident.begin() + offsets[i]);
    TapImage::Write(tree.Path("tapes/tape01.tap"), {{false, ident}, {true, {}}});
    InstallDefaultAdapters();
    Start();
    TapeName() = "Daily";
    DirFilePath() = Catalog("Daily");
    messages.shown.clear();
    window->DirTapeRight();
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Error: tape name not usable as a file name: '../x'", Error}}));
    EXPECT_EQ(TapeName(), "../x");
    EXPECT_TRUE(DirFilePath().empty()) << "Daily's catalog is not this tape's";
    window->ChooseTab(kRestoreTab);
    EXPECT_EQ(State().leftLabel, "Tape:");
    EXPECT_EQ(State().leftList.RowCount(), 0u);
}

TEST_F(TapeCommandsTest, DirTapeWithoutCatalogPointsToUtilitiesAndForgetsThePath) {
    Format("Daily");
    std::filesystem::remove(Catalog("Daily"));
    window->DirTapeLeft();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{
                                  {"Error: DirFile not found on hard drive. \nYou can make or import a DirFile on "
                                   "the Utilities tab.\n\nTape: Daily\nCatalog: " + Catalog("Daily"),
                                   Error}}));
    EXPECT_TRUE(DirFilePath().empty());
    EXPECT_EQ(TapeName(), "Daily");
}

TEST_F(TapeCommandsTest, CatalogOfAnEarlierTapeOfTheSameNameDoesNotMatch) {
    Format("Daily");
    DirFile dirFile(messages);
    ASSERT_EQ(dirFile.CreateFromIdent("Daily", Catalog("Daily"), "01.01.2001", "1.6"), 0);
    AddEntry("Daily");
    const auto before = Names(State().rightList);
    window->DirTapeRight();
    window->DirTapeLeft();
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{
                  {"Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities "
                   "tab.\n\nTape: Daily\nCatalog: " + Catalog("Daily"),
                   Error},
                  {"Error: DirFile on hard drive and tape contents do not match. \nCheck that on the Utilities "
                   "tab.\n\nTape: Daily\nCatalog: " + Catalog("Daily"),
                   Error}}));
    EXPECT_EQ(Names(State().rightList), before);
    EXPECT_EQ(DirFilePath(), Catalog("Daily"));
}

TEST_F(TapeCommandsTest, CatalogWithoutMagicCannotBeRead) {
    Format("Daily");
    tree.File("start/Daily.twd", 100);
    window->DirTapeRight();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error reading IdentBlock from hard drive", Error}}));
}

TEST_F(TapeCommandsTest, ExportGoesToTheMountedStickAndSaysWhereAndWhat) {
    Format("Daily");
    tree.Folder("media/me/STICK");
    EnvironmentGuard env;
    env.Set("TAPEWREN_MEDIA", tree.Path("media/me").c_str());
    window->ChooseTab(kUtilitiesTab);
    Click(State().rightList, static_cast<std::size_t>(IndexOf(State().rightList, "Daily")));
    EXPECT_EQ(window->ExportToFloppy(), JobResult::Done);
    EXPECT_TRUE(std::filesystem::exists(tree.Path("media/me/STICK/Daily.twd")));
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Copied to " + tree.Path("media/me/STICK") +
                                                 ":\nDaily.twd (with its checksums, Daily.tws)",
                                             Success}}));
}

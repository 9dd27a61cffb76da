// Export to and import from the floppy folder, clicked as a user would on
// the Utilities tab: several rows, the overwrite questions answered both
// ways, the Copy From Floppy dialog's two views, a missing floppy folder and
// the wording of every message.

#include <QTreeWidget>
#include <cstdlib>
#include <unistd.h>

#include "ModalScript.h"
#include "WindowTestSupport.h"
#include "support/FloppyFolders.h"
#include "support/ScriptedDriveAdapter.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"

namespace {

using Bytes = FloppyFolders::Bytes;

class FloppyWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        setenv("TAPEWREN_FLOPPY", folders.floppy.c_str(), 1);
        Install(ScriptedDriveAdapter::OneTapeDrive(3));
    }
    void TearDown() override {
        WindowTest::TearDown();
        unsetenv("TAPEWREN_FLOPPY");
    }

    // The window started in the start directory, on the Utilities tab.
    void OpenOnUtilities() {
        ASSERT_EQ(chdir(folders.start.c_str()), 0);
        Open();
        ClickTab(kUtilitiesTab);
        ASSERT_EQ(TextOf(kRightListLabel), "Tape Directory Files:");
    }

    static std::vector<std::string> RowTexts(QTreeWidget* list) {
        std::vector<std::string> texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i) texts.push_back(list->topLevelItem(i)->text(0).toStdString());
        return texts;
    }
    static QTreeWidgetItem* RowOf(QTreeWidget* list, const std::string& text) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0).toStdString() == text) return list->topLevelItem(i);
        ADD_FAILURE() << "no row " << text;
        return nullptr;
    }
    // Ctrl-clicks each row, so that all of them end up selected.
    static void SelectRows(QTreeWidget* list, const std::vector<std::string>& texts) {
        for (const auto& text : texts) {
            QTreeWidgetItem* item = RowOf(list, text);
            if (item == nullptr) return;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->visualItemRect(item).center());
        }
    }
    static void DoubleClickRow(QTreeWidget* list, const std::string& text) {
        QTreeWidgetItem* item = RowOf(list, text);
        if (item == nullptr) return;
        const QPoint at = list->visualItemRect(item).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        // The views are refilled through a queued call.
        QCoreApplication::processEvents();
    }
    void ClickButton(int id) { QTest::mouseClick(Get<QPushButton>(id), Qt::LeftButton); }

    // Parts of the Copy From Floppy dialog.
    static QTreeWidget* DialogList(QWidget* dialog) { return dialog->findChild<QTreeWidget*>("ctl1069"); }
    static std::string DialogLabel(QWidget* dialog) {
        return dialog->findChild<QLabel*>("ctl1070")->text().toStdString();
    }
    static void DialogButton(QWidget* dialog, const char* name) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(name), Qt::LeftButton);
    }

    std::string Floppy(const std::string& tape) const { return folders.floppy + "/" + tape + ".twd"; }
    std::string Start(const std::string& tape) const { return folders.start + "/" + tape + ".twd"; }

    FloppyFolders folders;
    ModalScript script;
};

// ---- export ----

TEST_F(FloppyWindowTest, ExportCopiesEverySelectedDirectoryFile) {
    const Bytes alpha = FloppyFolders::WriteCatalog(folders.start, "Alpha", {"a.txt"}, 13);
    FloppyFolders::WriteCatalog(folders.start, "Beta", {});
    const Bytes gamma = FloppyFolders::WriteCatalog(folders.start, "Gamma", {"b.txt", "c.zip"});
    OpenOnUtilities();
    SelectRows(Get<QTreeWidget>(kRightList), {"Alpha", "Gamma"});
    script.Message().Start();
    ClickButton(kExportToFloppy);
    EXPECT_TRUE(script.Finished()) << script.Unexpected().size();
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"Copied to " + folders.floppy + ":\nAlpha.twd (with its checksums, Alpha.tws)\nGamma.twd (with its checksums, "
                                                       "Gamma.tws)"});
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Alpha")), alpha);
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Gamma")), gamma);
    EXPECT_FALSE(std::filesystem::exists(Floppy("Beta")));
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

TEST_F(FloppyWindowTest, ExportOverwriteQuestionsAnsweredBothWays) {
    FloppyFolders::WriteCatalog(folders.start, "Alpha", {"new.txt"});
    const Bytes gamma = FloppyFolders::WriteCatalog(folders.start, "Gamma", {"new.txt"});
    const Bytes oldAlpha = FloppyFolders::WriteCatalog(folders.floppy, "Alpha", {});
    FloppyFolders::WriteCatalog(folders.floppy, "Gamma", {});
    OpenOnUtilities();
    SelectRows(Get<QTreeWidget>(kRightList), {"Alpha", "Gamma"});
    script.Message(false).Message(true).Message().Start();
    ClickButton(kExportToFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(script.Texts(), (std::vector<std::string>{
                                  "Directory File 'Alpha.twd' already exists on floppy. Overwrite?",
                                  "Directory File 'Gamma.twd' already exists on floppy. Overwrite?",
                                  "Copied to " + folders.floppy + ":\nGamma.twd (with its checksums, Gamma.tws)"}));
    EXPECT_EQ(script.Messages()[0].title, "Question");
    EXPECT_EQ(script.Messages()[1].title, "Question");
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Alpha")), oldAlpha);
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Gamma")), gamma);
}

TEST_F(FloppyWindowTest, ExportWithNothingSelectedSaysSo) {
    FloppyFolders::WriteCatalog(folders.start, "Alpha", {});
    OpenOnUtilities();
    script.Message().Start();
    ClickButton(kExportToFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(script.Messages(), (std::vector<ModalScript::Seen>{{"Ooops!", "No Directory File selected"}}));
    EXPECT_TRUE(std::filesystem::is_empty(folders.floppy));
}

TEST_F(FloppyWindowTest, ExportFromTheContentsViewCopiesThatDirectoryFile) {
    const Bytes daily = FloppyFolders::WriteCatalog(folders.start, "Daily", {"a.txt", "b.txt"});
    FloppyFolders::WriteCatalog(folders.start, "Weekly", {});
    OpenOnUtilities();
    DoubleClickRow(Get<QTreeWidget>(kRightList), "Daily");
    ASSERT_EQ(TextOf(kRightListLabel), "Contents of tape 'Daily':");
    script.Message().Start();
    ClickButton(kExportToFloppy);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(FloppyFolders::ReadBytes(Floppy("Daily")), daily);
    EXPECT_FALSE(std::filesystem::exists(Floppy("Weekly")));
}

TEST_F(FloppyWindowTest, ExportWithoutDiskIsAWriteErrorToFloppy) {
    FloppyFolders::WriteCatalog(folders.start, "Alpha", {});
    std::filesystem::remove_all(folders.floppy);
    OpenOnUtilities();
    SelectRows(Get<QTreeWidget>(kRightList), {"Alpha"});
    script.Message().Start();
    ClickButton(kExportToFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(script.Messages(),
              (std::vector<ModalScript::Seen>{{"Error", "Error writing Directory File to floppy"}}));
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

// ---- import ----

TEST_F(FloppyWindowTest, ImportCopiesSeveralSelectedRowsAndRefillsTheList) {
    const Bytes daily = FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"a.txt"}, 21);
    FloppyFolders::WriteCatalog(folders.floppy, "Monthly", {});
    const Bytes weekly = FloppyFolders::WriteCatalog(folders.floppy, "Weekly", {"b.txt"});
    OpenOnUtilities();
    ASSERT_TRUE(RowTexts(Get<QTreeWidget>(kRightList)).empty());
    std::string label;
    std::vector<std::string> rows;
    script
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  label = DialogLabel(dialog);
                  rows = RowTexts(DialogList(dialog));
                  SelectRows(DialogList(dialog), {"Daily", "Weekly"});
                  DialogButton(dialog, "ctl1");
              })
        .Message()
        .Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(label, folders.floppy + "/");
    EXPECT_EQ(rows, (std::vector<std::string>{"Daily", "Monthly", "Weekly"}));
    EXPECT_EQ(FloppyFolders::ReadBytes(Start("Daily")), daily);
    EXPECT_EQ(FloppyFolders::ReadBytes(Start("Weekly")), weekly);
    EXPECT_FALSE(std::filesystem::exists(Start("Monthly")));
    EXPECT_EQ(RowTexts(Get<QTreeWidget>(kRightList)), (std::vector<std::string>{"Daily", "Weekly"}));
    EXPECT_EQ(TextOf(kRightListLabel), "Tape Directory Files:");
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

TEST_F(FloppyWindowTest, ImportOverwriteQuestionsAnsweredBothWays) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"new.txt"});
    const Bytes weekly = FloppyFolders::WriteCatalog(folders.floppy, "Weekly", {"new.txt"});
    const Bytes oldDaily = FloppyFolders::WriteCatalog(folders.start, "Daily", {});
    FloppyFolders::WriteCatalog(folders.start, "Weekly", {});
    OpenOnUtilities();
    bool closed = false;
    script
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  SelectRows(DialogList(dialog), {"Daily", "Weekly"});
                  DialogButton(dialog, "ctl1");
                  closed = !dialog->isVisible();
              })
        .Message(false)
        .Message(true)
        .Message()
        .Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(closed);
    const std::string shown = folders.start.substr(1);
    EXPECT_EQ(script.Texts(),
              (std::vector<std::string>{"Directory File '" + shown + "/Daily.twd' already exists on harddrive. Overwrite?",
                                        "Directory File '" + shown + "/Weekly.twd' already exists on harddrive. Overwrite?",
                                        "Copied from " + folders.floppy + " to " + folders.start + ":\nWeekly.twd (with its checksums, Weekly.tws)"}));
    EXPECT_EQ(FloppyFolders::ReadBytes(Start("Daily")), oldDaily);
    EXPECT_EQ(FloppyFolders::ReadBytes(Start("Weekly")), weekly);
}

TEST_F(FloppyWindowTest, ImportWithEveryOverwriteDeclinedStaysOpenUntilCancel) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"new.txt"});
    const Bytes oldDaily = FloppyFolders::WriteCatalog(folders.start, "Daily", {});
    OpenOnUtilities();
    bool openAfterOk = false;
    script
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  SelectRows(DialogList(dialog), {"Daily"});
                  DialogButton(dialog, "ctl1");
                  openAfterOk = dialog->isVisible();
              })
        .Message(false)
        .Then(ModalScript::Kind::CopyFromFloppy, [](QWidget* dialog) { DialogButton(dialog, "ctl2"); })
        .Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(FloppyFolders::ReadBytes(Start("Daily")), oldDaily);
}

TEST_F(FloppyWindowTest, ContentsViewAndBackThenOkCopiesTheFileShown) {
    const Bytes daily = FloppyFolders::WriteCatalog(folders.floppy, "Daily", {"report.zip", "b.txt", "A.doc"}, 4);
    FloppyFolders::WriteCatalog(folders.floppy, "Weekly", {"w.txt"});
    OpenOnUtilities();
    std::string contentsLabel, floppyLabel;
    std::vector<std::string> contentsRows, upRow, floppyRows;
    script
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  QTreeWidget* list = DialogList(dialog);
                  DoubleClickRow(list, "Daily");
                  contentsLabel = DialogLabel(dialog);
                  contentsRows = RowTexts(list);
                  QTreeWidgetItem* up = list->topLevelItem(0);
                  upRow = {up->text(0).toStdString(), up->text(1).toStdString()};
                  // An entry row is no directory file: nothing happens.
                  DoubleClickRow(list, "b.txt");
                  EXPECT_EQ(DialogLabel(dialog), contentsLabel);
                  DoubleClickRow(list, "..");
                  floppyLabel = DialogLabel(dialog);
                  floppyRows = RowTexts(list);
                  DoubleClickRow(list, "Daily");
                  DialogButton(dialog, "ctl1");
              })
        .Message()
        .Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(contentsLabel, "Contents of Directory File '" + folders.floppy + "/Daily':");
    EXPECT_EQ(contentsRows, (std::vector<std::string>{"..", "A.doc", "b.txt", "report.zip"}));
    EXPECT_EQ(upRow, (std::vector<std::string>{"..", "<Up>"}));
    EXPECT_EQ(floppyLabel, folders.floppy + "/");
    EXPECT_EQ(floppyRows, (std::vector<std::string>{"Daily", "Weekly"}));
    EXPECT_EQ(FloppyFolders::ReadBytes(Start("Daily")), daily);
    EXPECT_FALSE(std::filesystem::exists(Start("Weekly")));
}

TEST_F(FloppyWindowTest, MissingFloppyFolderClosesTheDialogAtOnceAndRefillsTheList) {
    std::filesystem::remove_all(folders.floppy);
    FloppyFolders::WriteCatalog(folders.start, "Daily", {});
    OpenOnUtilities();
    DoubleClickRow(Get<QTreeWidget>(kRightList), "Daily");
    ASSERT_EQ(TextOf(kRightListLabel), "Contents of tape 'Daily':");
    script.Message().Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished()) << (script.Unexpected().empty() ? "" : script.Unexpected()[0]);
    EXPECT_EQ(script.Messages(), (std::vector<ModalScript::Seen>{{"Error", "Change Dir Error!"}}));
    EXPECT_EQ(TextOf(kRightListLabel), "Tape Directory Files:");
    EXPECT_EQ(RowTexts(Get<QTreeWidget>(kRightList)), std::vector<std::string>{"Daily"});
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

// The floppy view says "Floppy", the contents view "floppy"; OK with nothing
// selected says so; the dialog stays open after each.
TEST_F(FloppyWindowTest, EachViewWordsItsOwnMessages) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {});
    FloppyFolders::WriteCatalog(folders.floppy, "Weekly", {"w.txt"});
    OpenOnUtilities();
    std::vector<bool> open;
    script
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  DialogButton(dialog, "ctl1");
                  open.push_back(dialog->isVisible());
              })
        .Message()
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  SelectRows(DialogList(dialog), {"Daily"});
                  std::filesystem::remove(Floppy("Daily"));
                  DialogButton(dialog, "ctl1");
                  open.push_back(dialog->isVisible());
              })
        .Message()
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  DoubleClickRow(DialogList(dialog), "Weekly");
                  std::filesystem::remove(Floppy("Weekly"));
                  DialogButton(dialog, "ctl1");
                  open.push_back(dialog->isVisible());
              })
        .Message()
        .Then(ModalScript::Kind::CopyFromFloppy, [](QWidget* dialog) { DialogButton(dialog, "ctl2"); })
        .Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(script.Messages(), (std::vector<ModalScript::Seen>{
                                     {"Ooops!", "No Directory File selected"},
                                     {"Error", "Error reading Directory File from Floppy"},
                                     {"Error", "Error reading Directory File from floppy"}}));
    EXPECT_EQ(open, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(std::filesystem::is_empty(folders.start));
}

TEST_F(FloppyWindowTest, UnwritableStartDirectoryIsAWriteErrorToHarddrive) {
    FloppyFolders::WriteCatalog(folders.floppy, "Daily", {});
    OpenOnUtilities();
    script
        .Then(ModalScript::Kind::CopyFromFloppy,
              [&](QWidget* dialog) {
                  SelectRows(DialogList(dialog), {"Daily"});
                  std::filesystem::remove_all(folders.start);
                  DialogButton(dialog, "ctl1");
              })
        .Message()
        .Then(ModalScript::Kind::CopyFromFloppy, [](QWidget* dialog) { DialogButton(dialog, "ctl2"); })
        .Message()  // the list of directory files cannot be refilled either
        .Start();
    ClickButton(kImportFromFloppy);
    ASSERT_TRUE(script.Finished());
    EXPECT_EQ(script.Texts(),
              (std::vector<std::string>{"Error writing Directory File to harddrive", "Change Dir Error!"}));
}

}  // namespace

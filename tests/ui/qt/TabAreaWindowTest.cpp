// The ready window: tab switching with its column sets and labels, the
// default button, Escape and EXIT.
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "WindowTestSupport.h"
#include "catalog/DirFile.h"
#include "support/EnvironmentGuard.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"

class TabAreaWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Install(ScriptedDriveAdapter::OneTapeDrive(3));
        // The browser starts in the home folder.
        env.Set("HOME", home.path().toLocal8Bit().constData());
        Open();
        ASSERT_EQ(TextOf(kStatusLine), " Ready.");
    }
    std::string Home() const { return home.path().toStdString() + "/"; }
    QTemporaryDir home;
    EnvironmentGuard env;

    void ExpectShownExactly(int tab) {
        for (int id : TabLayout::AreaControls())
            EXPECT_EQ(Shown(id), TabLayout::For(tab).Shows(id)) << "control " << id << " on tab " << tab;
        EXPECT_FALSE(Shown(kDeviceStateLabel));
    }
};

TEST_F(TabAreaWindowTest, BackupTabBrowsesLeftAndShowsTapeCatalogRight) {
    ExpectShownExactly(kBackupTab);
    EXPECT_EQ(Columns(Get<QTreeWidget>(kLeftList)), "Filename 99, Size 63 right, FileDate 66");
    EXPECT_EQ(Columns(Get<QTreeWidget>(kRightList)), "Filename 99, Size 60 right, FileDate 66, BackupDate 80");
    EXPECT_EQ(TextOf(kLeftListLabel), Home());
    EXPECT_EQ(TextOf(kRightListLabel), "Tape:");
    EXPECT_EQ(TextOf(kByteLabel), "0 / 0 Bytes");
}

TEST_F(TabAreaWindowTest, RestoreTabDropsTheBackupDateColumnOnTheRight) {
    ClickTab(kRestoreTab);
    ExpectShownExactly(kRestoreTab);
    EXPECT_EQ(Columns(Get<QTreeWidget>(kLeftList)), "Filename 99, Size 63 right, FileDate 66, BackupDate 80");
    EXPECT_EQ(Get<QTreeWidget>(kRightList)->columnCount(), 3);
    EXPECT_EQ(Columns(Get<QTreeWidget>(kRightList)), "Filename 99, Size 63 right, FileDate 66");
    EXPECT_EQ(TextOf(kLeftListLabel), "Tape:");
    EXPECT_EQ(TextOf(kRightListLabel), Home());
}

TEST_F(TabAreaWindowTest, VerifyTabShowsItsOwnArrow) {
    ClickTab(kVerifyTab);
    ExpectShownExactly(kVerifyTab);
    EXPECT_TRUE(Shown(kVerifyArrow));
    EXPECT_FALSE(Shown(kRestoreArrow));
}

TEST_F(TabAreaWindowTest, UtilitiesListsDirectoryFilesAndBlanksTheByteLabel) {
    ClickTab(kUtilitiesTab);
    ExpectShownExactly(kUtilitiesTab);
    EXPECT_EQ(Columns(Get<QTreeWidget>(kRightList)), "Filename 112, Size 63 right, FileDate 66");
    EXPECT_EQ(TextOf(kRightListLabel), "Tape Directory Files:");
    EXPECT_EQ(TextOf(kByteLabel), "");
    EXPECT_EQ(TextOf(kFormatHint), "Before you can use a new tape, format it!");
    ClickTab(kBackupTab);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 0 Bytes");
    EXPECT_EQ(Get<QProgressBar>(kProgressBar)->value(), 0);
}

TEST_F(TabAreaWindowTest, TabSwitchShowsTheCurrentCatalogWithItsLabelCutPerSide) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string name(20, 'T');
    const std::string catalog = folder.path().toStdString() + "/" + name + ".twd";
    ScriptedMessages unused;
    DirFile dirFile(unused);
    ASSERT_EQ(dirFile.CreateForNewTape(name, catalog), 0);
    ASSERT_EQ(dirFile.AppendEntry(catalog, "backup.zip", "01.02.2003", "04.05.2006", 1234, 2), 0);
    window->Controller().Shared().CurrentTapeName() = name;
    window->Controller().Shared().CurrentDirFilePath() = catalog;

    ClickTab(kRestoreTab);
    EXPECT_EQ(TextOf(kLeftListLabel), "Tape: '" + std::string(17, 'T') + "...'");
    auto* left = Get<QTreeWidget>(kLeftList);
    ASSERT_EQ(left->topLevelItemCount(), 1);
    EXPECT_EQ(left->topLevelItem(0)->text(0).toStdString(), "backup.zip");
    EXPECT_EQ(left->topLevelItem(0)->text(3).toStdString(), "04.05.2006");
    ClickTab(kBackupTab);
    EXPECT_EQ(TextOf(kRightListLabel), "Tape: '" + name + "'");
    EXPECT_EQ(Get<QTreeWidget>(kRightList)->topLevelItemCount(), 1);
}

TEST_F(TabAreaWindowTest, EnterInTheListPressesStartOnBackupRestoreAndVerify) {
    QSignalSpy start(Get<QPushButton>(kStart), &QPushButton::clicked);
    QSignalSpy format(Get<QPushButton>(kFormatTape), &QPushButton::clicked);
    ModalCanceller canceller(window.get());
    for (int tab : {kBackupTab, kRestoreTab, kVerifyTab}) {
        ClickTab(tab);
        auto* list = Get<QTreeWidget>(kRightList);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
    }
    EXPECT_EQ(start.count(), 3);
    EXPECT_EQ(format.count(), 0);
}

TEST_F(TabAreaWindowTest, EnterPressesFormatOnUtilitiesEvenFromTheNameField) {
    QSignalSpy start(Get<QPushButton>(kStart), &QPushButton::clicked);
    QSignalSpy format(Get<QPushButton>(kFormatTape), &QPushButton::clicked);
    ModalCanceller canceller(window.get());
    ClickTab(kUtilitiesTab);
    auto* name = Get<QLineEdit>(kTapeNameField);
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(format.count(), 1);
    EXPECT_EQ(start.count(), 0);
}

TEST_F(TabAreaWindowTest, EscapeEndsTheWindowAsCancel) {
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST_F(TabAreaWindowTest, ExitEndsTheWindowWithItsId) {
    QTest::mouseClick(Get<QPushButton>(kExit), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), kExit);
}

TEST_F(TabAreaWindowTest, CloseBoxEndsTheWindow) {
    window->windowHandle()->close();
    EXPECT_FALSE(window->isVisible());
}

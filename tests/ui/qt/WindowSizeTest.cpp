// The window at its default size and enlarged by the user: where the
// controls stand, the size kept for the next run, and the tape labels
// beside their buttons.
#include <QScreen>
#include <QTemporaryDir>
#include <map>

#include "WindowTestSupport.h"
#include "catalog/DirFile.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/RememberedSize.h"

class WindowSizeTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        Install(ScriptedDriveAdapter::OneTapeDrive(3));
    }
    void TearDown() override {
        WindowTest::TearDown();
        RememberedSize::Save({});  // nothing kept for the next test
    }
    // As the user drags the window's corner: the size comes from the
    // window system.
    void ResizeTo(QSize size) {
        window->windowHandle()->resize(size);
        QTRY_COMPARE(window->size(), size);
    }
    std::map<QWidget*, QRect> Geometries() {
        std::map<QWidget*, QRect> geometries;
        for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            geometries[child] = child->geometry();
        return geometries;
    }
    QRect At(int id) { return window->Control(id)->geometry(); }
    // Shows a catalog of tapeName on the tab, as after "Dir Tape".
    void ShowCatalog(const std::string& tapeName, int tab) {
        ASSERT_TRUE(folder.isValid());
        const std::string catalog = folder.path().toStdString() + "/catalog.twd";
        ScriptedMessages unused;
        DirFile dirFile(unused);
        ASSERT_EQ(dirFile.CreateForNewTape(tapeName, catalog), 0);
        window->Controller().Shared().CurrentTapeName() = tapeName;
        window->Controller().Shared().CurrentDirFilePath() = catalog;
        ClickTab(kUtilitiesTab);
        ClickTab(tab);
    }

    QTemporaryDir folder;
};

TEST_F(WindowSizeTest, EnlargedTheListsAndFieldsGrowAndTheButtonsKeepTheirNeighbours) {
    Open();
    ClickTab(kRestoreTab);  // the left list's four columns do not fit its default width
    const QSize standard = window->size();
    const auto before = Geometries();
    const QRect left = At(kLeftList), right = At(kRightList), start = At(kStart), exit = At(kExit);
    const QRect status = At(kStatusLine), dirTape = At(kRightDirTape), devices = At(kDeviceCombo);
    const int dw = 201, dh = 151;
    // What the window system lets the user do: larger, never smaller.
    EXPECT_EQ(window->windowHandle()->minimumSize(), standard);
    EXPECT_GT(window->windowHandle()->maximumSize().width(), standard.width() + dw);
    EXPECT_GT(window->windowHandle()->maximumSize().height(), standard.height() + dh);
    ResizeTo(standard + QSize(dw, dh));

    EXPECT_EQ(At(kLeftList), left.adjusted(0, 0, dw / 2, dh));
    EXPECT_EQ(At(kRightList), right.adjusted(dw / 2, 0, dw, dh));
    EXPECT_EQ(At(kStart), start.translated(dw / 2, dh / 2)) << "between the lists, at their middle";
    EXPECT_EQ(At(kExit), exit.translated(dw, dh));
    EXPECT_EQ(At(kStatusLine), status.adjusted(dw / 2, dh, dw, dh));
    EXPECT_EQ(At(kDeviceCombo), devices.adjusted(0, 0, dw, 0));
    EXPECT_EQ(At(kRightDirTape), dirTape.translated(dw, 0)) << "at the right list's corner";
    // Every column can be read, and the names get what is left.
    auto* list = Get<QTreeWidget>(kLeftList);
    EXPECT_GT(list->columnWidth(0), 99);
    EXPECT_EQ(list->columnWidth(0) + 63 + 66 + 80, list->viewport()->width());

    ResizeTo(standard);
    EXPECT_EQ(Geometries(), before);
    EXPECT_EQ(list->columnWidth(0), 99);
}

// Where a run names its screen (TW_TEST_SCREEN, "960x540@2"), the window is
// on that one: the size tests then hold at that scale.
TEST_F(WindowSizeTest, TheWholeWindowIsOnTheScreen) {
    Open();
    QScreen* screen = window->screen();
    const QString named = qEnvironmentVariable("TW_TEST_SCREEN");
    if (!named.isEmpty()) {
        const QSize size = screen->size();
        EXPECT_EQ(QString("%1x%2@%3").arg(size.width()).arg(size.height()).arg(screen->devicePixelRatio()), named);
    }
    RememberedSize::Save(QSize(5000, 5000));
    Open();
    const QRect available = screen->availableGeometry();
    for (int id : {kExit, kStart, kStatusLine, kRightList}) {
        const QRect control(window->Control(id)->mapToGlobal(QPoint(0, 0)), window->Control(id)->size());
        EXPECT_TRUE(available.contains(control)) << "control " << id << " is off the screen";
    }
}

TEST_F(WindowSizeTest, TheSizeTheUserLeftIsTheSizeOfTheNextRunNeverSmallerThanTheDefault) {
    Open();
    const QSize standard = window->size();
    // Larger than the default, as far as the screen has room (the frame
    // and title bar come on top).
    const QSize left = QSize(760, 540).boundedTo(window->screen()->availableSize() - QSize(16, 48));
    ASSERT_GT(left.width(), standard.width());
    ResizeTo(left);
    QTest::mouseClick(Get<QPushButton>(kExit), Qt::LeftButton);
    Open();
    EXPECT_EQ(window->size(), left);

    // Kept from a larger screen: the window and its title bar fit this one.
    RememberedSize::Save(QSize(5000, 5000));
    Open();
    const QSize screen = window->screen()->availableSize();
    EXPECT_LE(window->width(), screen.width() - 16);
    EXPECT_LE(window->height(), screen.height() - 48);

    RememberedSize::Save(QSize(300, 200));
    Open();
    EXPECT_EQ(window->size(), standard);
}

TEST_F(WindowSizeTest, ALongTapeNameIsReadBesideAllNoneAndDirTape) {
    Open();
    const QRect all = At(kMarkAll), none = At(kMarkNone), dirTape = At(kLeftDirTape);
    ShowCatalog("Daily", kRestoreTab);
    EXPECT_EQ(At(kMarkAll), all) << "a short label leaves the buttons where they stand";

    const std::string name = "Accounting-Server-Full-Backup-2026-03-Week2-Disk1";
    ASSERT_EQ(name.size(), 49u);
    for (int tab : {kRestoreTab, kVerifyTab}) {
        ShowCatalog(name, tab);
        auto* label = Get<QLabel>(kLeftListLabel);
        ASSERT_EQ(label->text().toStdString(), "Tape: 'Accounting-Server...'");
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << "tab " << tab;
        EXPECT_LT(label->geometry().right(), At(kMarkAll).left()) << "tab " << tab;
        // The three stay together, clear of the right column.
        const int shift = At(kMarkAll).x() - all.x();
        EXPECT_EQ(At(kMarkNone), none.translated(shift, 0));
        EXPECT_EQ(At(kLeftDirTape), dirTape.translated(shift, 0));
        EXPECT_LT(At(kLeftDirTape).right(), At(kRightListLabel).left());
    }
    ShowCatalog(name, kBackupTab);
    auto* right = Get<QLabel>(kRightListLabel);
    EXPECT_LE(right->fontMetrics().horizontalAdvance(right->text()), right->width());
    EXPECT_LT(right->geometry().right(), At(kRightDirTape).left());
}

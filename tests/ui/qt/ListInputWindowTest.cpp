// The two lists under real mouse and keyboard events, delivered through the
// window as the platform delivers them: a double click is press, release,
// press with a double-click event, release.
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "WindowTestSupport.h"
#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"
#include "ui/qt/Artwork.h"

class ListInputWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        root = std::filesystem::canonical(folder.path().toStdString()).string();
        std::filesystem::create_directories(root + "/files/sub");
        std::ofstream(root + "/files/a.txt") << std::string(100, 'a');
        std::ofstream(root + "/files/b.zip") << std::string(20, 'b');
        ScriptedMessages unused;
        DirFile dirFile(unused);
        const std::string catalog = root + "/Daily.twd";
        ASSERT_EQ(dirFile.CreateForNewTape("Daily", catalog), 0);
        ASSERT_EQ(dirFile.AppendEntry(catalog, "a.txt", "01.02.2003", "04.05.2006", 100, 1), 0);
        Install(ScriptedDriveAdapter::OneTapeDrive(3));
        Open();
        window->Controller().Shared().CurrentTapeName() = "Daily";
        window->Controller().Shared().CurrentDirFilePath() = catalog;
        window->Controller().State().browseDirectory = root + "/files/";
        ClickTab(kUtilitiesTab);
    }

    QTreeWidget* Left() { return Get<QTreeWidget>(kLeftList); }
    QTreeWidgetItem* Item(QTreeWidget* list, const std::string& name) {
        const auto found = list->findItems(QString::fromStdString(name), Qt::MatchExactly, 0);
        EXPECT_FALSE(found.isEmpty()) << name;
        return found.isEmpty() ? nullptr : found.front();
    }
    int ImageOf(const std::string& name) {
        for (const auto& row : window->Controller().State().leftList.Rows())
            if (row.Text(0) == name) return row.image;
        return -1;
    }
    // The row's centre in the window, where the platform reports the mouse.
    QPoint InWindow(QTreeWidget* list, QTreeWidgetItem* item) {
        list->scrollToItem(item);
        return list->viewport()->mapTo(window.get(), list->visualItemRect(item).center());
    }
    void DoubleClick(QTreeWidget* list, const std::string& name) {
        QTreeWidgetItem* item = Item(list, name);
        ASSERT_NE(item, nullptr);
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, InWindow(list, item));
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    }
    void Key(Qt::Key key) {
        QTest::keyClick(window->windowHandle(), key);
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    }

    QTemporaryDir folder;
    std::string root;
};

class DoubleClickMarksTest : public ListInputWindowTest, public testing::WithParamInterface<int> {};

TEST_P(DoubleClickMarksTest, DoubleClickOnAFileRowMarksItOnce) {
    const int tab = GetParam();
    ClickTab(tab);
    DoubleClick(Left(), "a.txt");
    const int marked = tab == kBackupTab ? kImageFileBackup : (tab == kRestoreTab ? kImageFileRestore : kImageFileVerify);
    EXPECT_EQ(ImageOf("a.txt"), marked);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 100 Bytes");
}

INSTANTIATE_TEST_SUITE_P(Tabs, DoubleClickMarksTest, testing::Values(kBackupTab, kRestoreTab, kVerifyTab));

TEST_F(ListInputWindowTest, SpaceMarksAndUnmarksTheFocusedRowAsAClickDoes) {
    ClickTab(kBackupTab);
    Left()->setFocus();
    Left()->setCurrentItem(Item(Left(), "b.zip"));
    Key(Qt::Key_Space);
    EXPECT_EQ(ImageOf("b.zip"), kImageArchiveBackup);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 20 Bytes");
    Key(Qt::Key_Space);
    EXPECT_EQ(ImageOf("b.zip"), kImageArchive);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 0 Bytes");
}

TEST_F(ListInputWindowTest, EnterOpensAFolderAtItsFirstRowBackspaceGoesUpAndOnAFileStarts) {
    for (const char* in : {"/files/", "/files/sub/"})
        for (int i = 0; i < 80; ++i) std::ofstream(root + in + "f" + std::to_string(100 + i) + ".txt") << "x";
    ClickTab(kBackupTab);
    QTreeWidget* list = Left();
    list->setFocus();
    list->setCurrentItem(Item(list, "sub"));
    auto scrolledDownThenKey = [&](Qt::Key key) {
        list->scrollToBottom();
        Key(key);
        QCoreApplication::processEvents();
        return list->verticalScrollBar()->value();
    };
    EXPECT_EQ(scrolledDownThenKey(Qt::Key_Return), 0);
    EXPECT_EQ(window->Controller().BrowsedFolder(), root + "/files/sub/");
    EXPECT_EQ(scrolledDownThenKey(Qt::Key_Backspace), 0);
    EXPECT_EQ(window->Controller().BrowsedFolder(), root + "/files/");

    QSignalSpy start(Get<QPushButton>(kStart), &QPushButton::clicked);
    ModalCanceller canceller(window.get());
    list->setCurrentItem(Item(list, "a.txt"));
    Key(Qt::Key_Return);
    EXPECT_EQ(start.count(), 1);
    EXPECT_EQ(window->Controller().BrowsedFolder(), root + "/files/");
}

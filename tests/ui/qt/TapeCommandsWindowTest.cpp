// The tape commands and the lists as a user works them in the window, on the
// virtual drive: FORMAT with its questions, Check, both Dir Tape buttons,
// Eject with the autoloader, and marking and browsing by mouse.
#include <stdlib.h>

#include <QLineEdit>
#include <algorithm>
#include <QScrollBar>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "DialogScript.h"
#include "WindowTestSupport.h"
#include "app/DefaultAdapters.h"
#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "support/ScriptedMessages.h"
#include "tape/DateText.h"
#include "ui/ControlId.h"
#include "ui/LabelText.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"

namespace {

const char kFormatQuestion[] = "Do you really want to format the tape and erase everything on it?";
const char kOverwriteQuestion[] = "A tape with that name exists already. Overwrite?";
// The format question names the tape it would erase.
const std::string kFormatBlank = std::string(kFormatQuestion) +
                                 "\n\nThe tape in the drive has no name: it is blank or was not formatted by this program.";
std::string FormatDaily(int records) {
    return std::string(kFormatQuestion) + "\n\nThe tape in the drive is 'Daily', formatted " + TodayText() +
           "; by its catalog it holds " + std::to_string(records) + (records == 1 ? " file record." : " file records.");
}

}  // namespace

class TapeCommandsWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        root = std::filesystem::canonical(folder.path().toStdString()).string();
        std::filesystem::create_directories(root + "/start");
        std::filesystem::create_directories(root + "/tapes");
        setenv("TAPEWREN_VTAPE", (root + "/tapes").c_str(), 1);
        unsetenv("TAPEWREN_ISCSI");
        InstallDefaultAdapters();
        // The window takes the current directory as its start directory.
        std::filesystem::current_path(root + "/start");
        Open();
        ASSERT_EQ(TextOf(kStatusLine), " Ready.");
    }
    void TearDown() override {
        WindowTest::TearDown();
        unsetenv("TAPEWREN_VTAPE");
    }

    std::string Catalog(const std::string& tape) { return root + "/start/" + tape + ".twd"; }
    std::vector<std::string> Click(int id, std::deque<bool> answers = {}) {
        DialogScript script(std::move(answers));
        QTest::mouseClick(Get<QPushButton>(id), Qt::LeftButton);
        QCoreApplication::processEvents();
        return script.Texts();
    }
    std::vector<std::string> Format(const std::string& name, std::deque<bool> answers) {
        ClickTab(kUtilitiesTab);
        auto* field = Get<QLineEdit>(kTapeNameField);
        field->clear();
        QTest::keyClicks(field, QString::fromStdString(name));
        return Click(kFormatTape, std::move(answers));
    }
    static std::vector<std::string> Rows(QTreeWidget* list) {
        std::vector<std::string> rows;
        for (int i = 0; i < list->topLevelItemCount(); ++i) rows.push_back(list->topLevelItem(i)->text(0).toStdString());
        return rows;
    }
    QTreeWidgetItem* Item(QTreeWidget* list, const std::string& name) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0).toStdString() == name) return list->topLevelItem(i);
        ADD_FAILURE() << "no row " << name;
        return nullptr;
    }
    void ClickRow(QTreeWidget* list, const std::string& name, bool twice = false) {
        QTreeWidgetItem* item = Item(list, name);
        ASSERT_NE(item, nullptr);
        list->scrollToItem(item);
        const QPoint at = list->visualItemRect(item).center();
        // A double click is a click, then the second press that the system
        // reports as a double click, then its release.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) {
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        }
        // Double clicks are handled queued, once the view is done with the item.
        QCoreApplication::processEvents();
    }
    int ImageOf(const ListModel& list, const std::string& name) {
        for (const auto& row : list.Rows())
            if (row.Text(0) == name) return row.image;
        return -1;
    }

    QTemporaryDir folder;
    std::string root;
};

TEST_F(TapeCommandsWindowTest, FormatDailyAsksOnceAndCheckShowsItsThreeLines) {
    EXPECT_EQ(Format("Daily", {true}), std::vector<std::string>{kFormatBlank});
    EXPECT_EQ(std::filesystem::file_size(Catalog("Daily")), 78u);
    EXPECT_EQ(Rows(Get<QTreeWidget>(kRightList)), std::vector<std::string>{"Daily"});
    EXPECT_EQ(TextOf(kRightListLabel), "Tape Directory Files:");
    EXPECT_EQ(Click(kCheckTape, {true}),
              std::vector<std::string>{"Tape name: Daily\nDate of formatting: " + TodayText() +
                                       "\nFormatted with Tapewren version: 1.6"});
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
}

TEST_F(TapeCommandsWindowTest, ReformattingDailyAsksTwiceAndEachNoKeepsTheCatalog) {
    Format("Daily", {true});
    ScriptedMessages unused;
    DirFile dirFile(unused);
    ASSERT_EQ(dirFile.AppendEntry(Catalog("Daily"), "kept.txt", "01.01.2001", "02.01.2001", 5, 1), 0);

    EXPECT_EQ(Format("Daily", {false}), std::vector<std::string>{kOverwriteQuestion});
    EXPECT_EQ(std::filesystem::file_size(Catalog("Daily")), 78u + 286u);
    EXPECT_EQ(Format("Daily", {true, false}), (std::vector<std::string>{kOverwriteQuestion, FormatDaily(1)}));
    EXPECT_EQ(std::filesystem::file_size(Catalog("Daily")), 78u + 286u);
    EXPECT_EQ(Format("Daily", {true, true}), (std::vector<std::string>{kOverwriteQuestion, FormatDaily(1)}));
    EXPECT_EQ(std::filesystem::file_size(Catalog("Daily")), 78u);
}

TEST_F(TapeCommandsWindowTest, EmptyAndUnsafeNamesAreRefused) {
    EXPECT_EQ(Format("", {}), std::vector<std::string>{"No tape name specified"});
    const auto refused = Format("../Daily", {});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_NE(refused[0].find("not allowed"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(root + "/Daily.twd"));
}

TEST_F(TapeCommandsWindowTest, DirTapeOnBothSidesShowsTheLabelAndTheEmptyCatalog) {
    Format("Daily", {true});
    ClickTab(kBackupTab);
    EXPECT_TRUE(Click(kRightDirTape).empty());
    EXPECT_EQ(TextOf(kRightListLabel), "Tape: 'Daily'");
    EXPECT_EQ(Get<QTreeWidget>(kRightList)->topLevelItemCount(), 0);
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    ClickTab(kRestoreTab);
    EXPECT_TRUE(Click(kLeftDirTape).empty());
    EXPECT_EQ(TextOf(kLeftListLabel), "Tape: 'Daily'");
    EXPECT_EQ(Get<QTreeWidget>(kLeftList)->topLevelItemCount(), 0);
}

TEST_F(TapeCommandsWindowTest, DirTapeWithoutCatalogPointsToUtilities) {
    Format("Daily", {true});
    ClickTab(kRestoreTab);
    std::filesystem::remove(Catalog("Daily"));
    EXPECT_EQ(Click(kLeftDirTape, {true}),
              std::vector<std::string>{
                  "Error: DirFile not found on hard drive. \nYou can make or import a DirFile on the Utilities "
                  "tab.\n\nTape: Daily\nCatalog: " + Catalog("Daily")});
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    ClickTab(kBackupTab);
    EXPECT_EQ(TextOf(kRightListLabel), "Tape:");
}

TEST_F(TapeCommandsWindowTest, CatalogOfAnEarlierDailyDoesNotMatchTheNewTape) {
    Format("Daily", {true});
    ScriptedMessages unused;
    DirFile dirFile(unused);
    ASSERT_EQ(dirFile.CreateFromIdent("Daily", Catalog("Daily"), "01.01.2001", "1.6"), 0);
    ClickTab(kBackupTab);
    EXPECT_EQ(Click(kRightDirTape, {true}),
              std::vector<std::string>{
                  "Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities "
                  "tab.\n\nTape: Daily\nCatalog: " + Catalog("Daily")});
    ClickTab(kVerifyTab);
    EXPECT_EQ(Click(kLeftDirTape, {true}),
              std::vector<std::string>{
                  "Error: DirFile on hard drive and tape contents do not match. \nCheck that on the Utilities "
                  "tab.\n\nTape: Daily\nCatalog: " + Catalog("Daily")});
}

TEST_F(TapeCommandsWindowTest, EjectLoadsTheNextCartridge) {
    Format("Daily", {true});
    EXPECT_TRUE(Click(kEjectTape).empty());
    EXPECT_EQ(Click(kCheckTape, {true}),
              std::vector<std::string>{"Error reading IdentBlock from tape\n\nThe tape is blank: it has not been "
                                       "formatted. Format it on the Utilities tab with \"FORMAT Tape\" first."});
    Format("Weekly", {true});
    EXPECT_EQ(Click(kCheckTape, {true}),
              std::vector<std::string>{"Tape name: Weekly\nDate of formatting: " + TodayText() +
                                       "\nFormatted with Tapewren version: 1.6"});
    EXPECT_EQ(Rows(Get<QTreeWidget>(kRightList)), (std::vector<std::string>{"Daily", "Weekly"}));
}

TEST_F(TapeCommandsWindowTest, ClicksMarkFilesAndDoubleClicksBrowse) {
    std::filesystem::create_directories(root + "/files/sub");
    std::ofstream(root + "/files/a.txt") << std::string(100, 'a');
    std::ofstream(root + "/files/b.zip") << std::string(20, 'b');
    window->Controller().State().browseDirectory = root + "/files/";
    ClickTab(kRestoreTab);
    ClickTab(kBackupTab);
    auto* left = Get<QTreeWidget>(kLeftList);
    const ListModel& model = window->Controller().State().leftList;

    ClickRow(left, "a.txt");
    EXPECT_EQ(ImageOf(model, "a.txt"), kImageFileBackup);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 100 Bytes");
    ClickRow(left, ".");
    EXPECT_EQ(ImageOf(model, "."), kImageRedFolder);
    EXPECT_EQ(ImageOf(model, "b.zip"), kImageArchiveBackup);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 120 Bytes");
    ClickRow(left, "a.txt");
    EXPECT_EQ(ImageOf(model, "."), kImageFolder);
    EXPECT_EQ(TextOf(kByteLabel), "0 / 20 Bytes");

    ClickRow(left, "sub", true);
    EXPECT_EQ(TextOf(kLeftListLabel), LabelText::BrowsePath(root + "/files/sub/"));
    EXPECT_EQ(TextOf(kByteLabel), "0 / 0 Bytes");
    const auto inSub = Rows(left);
    EXPECT_EQ(std::count(inSub.begin(), inSub.end(), "a.txt"), 0);
    EXPECT_EQ(std::count(inSub.begin(), inSub.end(), ".."), 1);
    ClickRow(left, "..", true);
    EXPECT_NE(Item(left, "a.txt"), nullptr);
}

TEST_F(TapeCommandsWindowTest, UtilitiesShowsOneCatalogAndComesBack) {
    Format("Monday", {true});
    ScriptedMessages unused;
    DirFile dirFile(unused);
    ASSERT_EQ(dirFile.AppendEntry(Catalog("Monday"), "week.zip", "01.01.2001", "02.01.2001", 5, 1), 0);
    auto* right = Get<QTreeWidget>(kRightList);
    ClickRow(right, "Monday", true);
    EXPECT_EQ(TextOf(kRightListLabel), "Contents of tape 'Monday':");
    EXPECT_EQ(Rows(right), (std::vector<std::string>{"..", "week.zip"}));
    EXPECT_EQ(right->topLevelItem(0)->text(1).toStdString(), "<Up>");
    ClickRow(right, "..", true);
    EXPECT_EQ(TextOf(kRightListLabel), "Tape Directory Files:");
    EXPECT_EQ(Rows(right), std::vector<std::string>{"Monday"});
}

TEST_F(TapeCommandsWindowTest, MarkingAFileFarDownKeepsTheListWhereItWas) {
    std::filesystem::create_directories(root + "/many");
    for (int i = 0; i < 200; ++i) std::ofstream(root + "/many/f" + std::to_string(1000 + i) + ".txt") << "x";
    window->Controller().State().browseDirectory = root + "/many/";
    ClickTab(kRestoreTab);
    ClickTab(kBackupTab);
    auto* left = Get<QTreeWidget>(kLeftList);
    // The row the user scrolled to stands at the top of the view.
    left->scrollToItem(Item(left, "f1100.txt"), QAbstractItemView::PositionAtTop);
    const int scrolled = left->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    QTest::mouseClick(left->viewport(), Qt::LeftButton, {}, left->visualItemRect(Item(left, "f1100.txt")).center());
    QTest::qWait(50);
    EXPECT_EQ(ImageOf(window->Controller().State().leftList, "f1100.txt"), kImageFileBackup);
    EXPECT_EQ(left->verticalScrollBar()->value(), scrolled);
    EXPECT_TRUE(Item(left, "f1100.txt")->isSelected());
}

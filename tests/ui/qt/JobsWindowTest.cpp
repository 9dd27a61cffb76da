// The jobs as a user runs them: format on the Utilities tab, mark files in
// the browser, START on the Backup, Restore and Verify tabs, the results
// window and its Save Results. The virtual drive runs over an image in a
// temporary folder; every command it receives is recorded.
#include <QProgressBar>
#include <QTreeWidget>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

#include "MessageScript.h"
#include "WindowTestSupport.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "support/FaultyAdapter.h"
#include "support/PatternBytes.h"
#include "support/TapeStructure.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"
#include "ui/qt/VerifyResultsDialog.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t size, std::uint32_t seed) { return PatternBytes<Bytes>(size, seed, 7); }

Bytes FileBytes(const std::string& path) { return TapImage::FileBytes(path); }

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class JobsWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        char pattern[] = "/tmp/tw-jobwin-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        for (const char* sub : {"/start", "/src", "/dst"}) std::filesystem::create_directories(root + sub);
        image = root + "/tape.tap";
        setenv("TAPEWREN_VTAPE", image.c_str(), 1);
        unsetenv("TAPEWREN_VTAPE_CAPACITY_MB");
        auto drive = std::make_unique<FaultyAdapter>(CreateVirtualHostAdapter());
        drive->beforeCdb = [this](std::span<const std::uint8_t> cdb) { cdbs.emplace_back(cdb.begin(), cdb.end()); };
        faulty = drive.get();
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(std::move(drive));
        Install(std::move(adapters));
        // The window takes the current directory as its start directory.
        std::filesystem::current_path(root + "/start");
        Open();
        ASSERT_EQ(TextOf(kStatusLine), " Ready.");
    }
    void TearDown() override {
        WindowTest::TearDown();
        unsetenv("TAPEWREN_VTAPE");
        std::filesystem::remove_all(root);
    }

    std::string Src() const { return root + "/src/"; }
    std::string Dst() const { return root + "/dst/"; }
    std::string Catalog() const { return root + "/start/Daily.twd"; }

    Bytes MakeFile(const std::string& name, std::size_t size, std::uint32_t seed) {
        Bytes b = Pattern(size, seed);
        WriteBytes(Src() + name, b);
        return b;
    }

    QTreeWidget* List(int id) { return Get<QTreeWidget>(id); }
    QTreeWidgetItem* Item(int listId, const std::string& text) {
        const auto found = List(listId)->findItems(QString::fromStdString(text), Qt::MatchExactly, 0);
        EXPECT_FALSE(found.isEmpty()) << text << " in list " << listId;
        return found.isEmpty() ? nullptr : found.front();
    }
    QPoint Spot(QTreeWidget* list, QTreeWidgetItem* item) {
        list->scrollToItem(item);
        return list->visualItemRect(item).center();
    }
    void ClickRow(int listId, const std::string& text) {
        QTreeWidget* list = List(listId);
        if (QTreeWidgetItem* item = Item(listId, text))
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Spot(list, item));
    }
    void ClickRowAt(int listId, int row) {
        QTreeWidget* list = List(listId);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, Spot(list, list->topLevelItem(row)));
    }
    void Click(int id) { QTest::mouseClick(Get<QPushButton>(id), Qt::LeftButton); }

    // Double-clicks its way from the browsed folder to folder (ending "/").
    void Browse(int listId, const std::string& folder) {
        for (int step = 0; step < 64; ++step) {
            const std::string current = window->Controller().BrowsedFolder();
            if (current == folder) return;
            std::string next = "..";
            if (folder.starts_with(current)) next = folder.substr(current.size(), folder.find('/', current.size()) - current.size());
            QTreeWidget* list = List(listId);
            QTreeWidgetItem* item = Item(listId, next);
            ASSERT_NE(item, nullptr) << "on the way from " << current << " to " << folder;
            // A double click is a click, then the second press that the
            // system reports as a double click; the window handles it from
            // the event loop, once the view is done with the item.
            const QPoint spot = Spot(list, item);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, spot);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, spot);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, spot);
            QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
            ASSERT_NE(window->Controller().BrowsedFolder(), current) << "double click on " << next;
        }
        FAIL() << "could not reach " << folder;
    }

    void Format() {
        ClickTab(kUtilitiesTab);
        auto* name = Get<QLineEdit>(kTapeNameField);
        name->clear();
        QTest::keyClicks(name, "Daily");
        Click(kFormatTape);
        ASSERT_TRUE(std::filesystem::exists(Catalog()));
        script.Clear();
    }

    // Formats "Daily" and backs up every file of src/ by marking "." .
    void BackUpSource() {
        Format();
        ClickTab(kBackupTab);
        Browse(kLeftList, Src());
        ClickRow(kLeftList, ".");
        Click(kStart);
        ASSERT_FALSE(script.Shown().empty());
        ASSERT_EQ(script.Shown().back().title, "Yeah!") << script.Shown().back().text;
        script.Clear();
    }

    std::vector<int> Spacings() const {
        std::vector<int> counts;
        for (const auto& cdb : cdbs)
            if (cdb.size() >= 5 && cdb[0] == 0x11 && cdb[1] == 0x01) counts.push_back(cdb[2] << 16 | cdb[3] << 8 | cdb[4]);
        return counts;
    }
    std::vector<std::string> Column0(int listId) {
        std::vector<std::string> texts;
        QTreeWidget* list = List(listId);
        for (int i = 0; i < list->topLevelItemCount(); ++i) texts.push_back(list->topLevelItem(i)->text(0).toStdString());
        return texts;
    }

    std::string root;
    std::string image;
    MessageScript script;
    std::vector<std::vector<std::uint8_t>> cdbs;
    FaultyAdapter* faulty = nullptr;
};

TEST_F(JobsWindowTest, BackUpMarkedFilesThenAppendMore) {
    const Bytes zip = MakeFile("pack.zip", 70000, 1);
    const Bytes text = MakeFile("notes.txt", 3000, 2);
    const Bytes empty = MakeFile("empty.dat", 0, 3);
    MakeFile("left-out.txt", 500, 4);
    std::filesystem::create_directories(Src() + "more");
    WriteBytes(Src() + "more/late.bin", Pattern(12345, 5));
    Format();

    ClickTab(kBackupTab);
    Browse(kLeftList, Src());
    ClickRow(kLeftList, "notes.txt");
    ClickRow(kLeftList, "pack.zip");
    ClickRow(kLeftList, "empty.dat");
    EXPECT_EQ(TextOf(kByteLabel), "0 / 73000 Bytes");
    Click(kStart);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].title, "Yeah!");
    EXPECT_EQ(script.Shown()[0].text.rfind("Backup ended successfully!\nTotal size: 73000 Bytes\nTotal time: 0 days, 00 h, ", 0),
              0u)
        << script.Shown()[0].text;
    EXPECT_NE(script.Shown()[0].text.find(" KByte/min\nDisk->tape rate: "), std::string::npos);
    // The archive first, then the files in list order; the right list shows
    // the catalog.
    EXPECT_EQ(Column0(kRightList), (std::vector<std::string>{"pack.zip", "empty.dat", "notes.txt"}));
    EXPECT_EQ(TextOf(kByteLabel), "");
    EXPECT_EQ(Get<QProgressBar>(kProgressBar)->value(), 0);
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    TapeStructure::ExpectMatches(image, Catalog(), 1024, root);

    // A second run appends after the first.
    script.Clear();
    Browse(kLeftList, Src() + "more/");
    ClickRow(kLeftList, "late.bin");
    Click(kStart);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].title, "Yeah!");
    EXPECT_EQ(Column0(kRightList), (std::vector<std::string>{"pack.zip", "empty.dat", "notes.txt", "late.bin"}));
    TapeStructure::ExpectMatches(image, Catalog(), 1024, root);

    // What went to tape comes back byte for byte.
    ClickTab(kRestoreTab);
    Browse(kRightList, Dst());
    script.Clear();
    Click(kStart);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(FileBytes(Dst() + "pack.zip"), zip);
    EXPECT_EQ(FileBytes(Dst() + "notes.txt"), text);
    EXPECT_EQ(FileBytes(Dst() + "empty.dat"), empty);
    EXPECT_TRUE(std::filesystem::exists(Dst() + "empty.dat"));
    EXPECT_EQ(FileBytes(Dst() + "late.bin"), Pattern(12345, 5));
    EXPECT_FALSE(std::filesystem::exists(Dst() + "left-out.txt"));
}

// Behind each final message the window already shows how things ended:
// the drive's state, and the catalog a backup extended with its newest rows
// in view.
TEST_F(JobsWindowTest, StatusLineReadsReadyAndTheCatalogIsShownWhenEachFinalMessageAppears) {
    for (int i = 10; i < 40; ++i) MakeFile("n" + std::to_string(i) + ".txt", 100, static_cast<std::uint32_t>(i));
    Format();
    std::vector<std::string> status;
    std::vector<std::string> lastRowInView;
    script.Observe([&] {
        status.push_back(TextOf(kStatusLine));
        QTreeWidget* catalog = List(kRightList);
        const int rows = catalog->topLevelItemCount();
        QTreeWidgetItem* last = rows > 0 ? catalog->topLevelItem(rows - 1) : nullptr;
        const bool inView = last && catalog->visualItemRect(last).intersects(catalog->viewport()->rect());
        lastRowInView.push_back(inView ? last->text(0).toStdString() : "");
    });
    ClickTab(kBackupTab);
    Browse(kLeftList, Src());
    ClickRow(kLeftList, ".");
    Click(kStart);
    ClickTab(kRestoreTab);
    Browse(kRightList, Dst());
    Click(kLeftDirTape);
    ClickRowAt(kLeftList, 0);
    Click(kStart);
    ClickTab(kUtilitiesTab);
    Click(kCheckTape);
    ASSERT_EQ(script.Shown().size(), 3u);
    EXPECT_EQ(status, std::vector<std::string>(3, " Ready."));
    EXPECT_EQ(lastRowInView[0], "n39.txt") << "the backup's newest catalog row";
}

TEST_F(JobsWindowTest, RestoreOfRowsTwoAndFiveSpacesThreeThenTwoFilemarks) {
    std::vector<Bytes> files;
    for (int i = 0; i < 6; ++i) files.push_back(MakeFile("f" + std::to_string(i) + ".bin", 1500u + 4000u * static_cast<unsigned>(i), 10 + i));
    BackUpSource();

    ClickTab(kRestoreTab);
    Browse(kRightList, Dst());
    Click(kLeftDirTape);
    ASSERT_EQ(Column0(kLeftList), (std::vector<std::string>{"f0.bin", "f1.bin", "f2.bin", "f3.bin", "f4.bin", "f5.bin"}));
    ClickRowAt(kLeftList, 2);
    ClickRowAt(kLeftList, 5);
    cdbs.clear();
    Click(kStart);
    ASSERT_EQ(script.Shown().size(), 1u) << script.Shown()[0].text;
    EXPECT_EQ(script.Shown()[0].title, "Yeah!");
    EXPECT_EQ(script.Shown()[0].text.rfind("Restore ended successfully!\nTotal size: " +
                                               std::to_string(files[2].size() + files[5].size()) + " Bytes\n",
                                           0),
              0u);
    EXPECT_EQ(Spacings(), (std::vector<int>{3, 2}));
    EXPECT_EQ(FileBytes(Dst() + "f2.bin"), files[2]);
    EXPECT_EQ(FileBytes(Dst() + "f5.bin"), files[5]);
    for (int i : {0, 1, 3, 4}) EXPECT_FALSE(std::filesystem::exists(Dst() + "f" + std::to_string(i) + ".bin"));
    // The right list shows the folder with what was restored.
    const auto shown = Column0(kRightList);
    EXPECT_NE(std::find(shown.begin(), shown.end(), "f5.bin"), shown.end());
    TapeStructure::ExpectMatches(image, Catalog(), 1024, root);
}

TEST_F(JobsWindowTest, FullRestoreWithNothingSelectedAsksFirst) {
    std::vector<Bytes> files;
    for (int i = 0; i < 3; ++i) files.push_back(MakeFile("g" + std::to_string(i) + ".dat", 20000u * static_cast<unsigned>(i), 20 + i));
    BackUpSource();
    ClickTab(kRestoreTab);
    Browse(kRightList, Dst());

    script.Answer(kMessageCancel);
    cdbs.clear();
    Click(kStart);
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"No files selected. Do you want to make a full restore of the tape?"});
    EXPECT_TRUE(cdbs.empty()) << "declined: the tape is not moved";

    script.Clear();
    Click(kStart);
    ASSERT_EQ(script.Shown().size(), 2u);
    EXPECT_EQ(script.Shown()[1].text.rfind("Restore ended successfully!\nTotal size: 60000 Bytes\n", 0), 0u)
        << script.Shown()[1].text;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(FileBytes(Dst() + "g" + std::to_string(i) + ".dat"), files[static_cast<std::size_t>(i)]);
    EXPECT_EQ(Spacings(), std::vector<int>{1});
    TapeStructure::ExpectMatches(image, Catalog(), 1024, root);
}

TEST_F(JobsWindowTest, VerifyListsEachFileAndSavesTheResults) {
    MakeFile("changed.txt", 9000, 1);
    MakeFile("gone.txt", 9000, 2);
    MakeFile("same.txt", 9000, 3);
    BackUpSource();
    Bytes changed = FileBytes(Src() + "changed.txt");
    changed[5000] ^= 0xFF;
    WriteBytes(Src() + "changed.txt", changed);
    std::filesystem::remove(Src() + "gone.txt");

    ClickTab(kVerifyTab);
    Browse(kRightList, Src());
    Click(kLeftDirTape);
    Click(kMarkAll);
    auto& results = window->ResultsWindow();
    EXPECT_FALSE(results.isVisible());
    Click(kStart);
    EXPECT_TRUE(script.Shown().empty()) << script.Shown()[0].text;
    ASSERT_TRUE(results.isVisible());
    auto* list = results.findChild<QTreeWidget*>("ctl1069");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    auto row = [list](int i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        return std::vector<std::string>{item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString()};
    };
    EXPECT_EQ(row(0), (std::vector<std::string>{"changed.txt", "Failed", "5000"}));
    EXPECT_EQ(row(1), (std::vector<std::string>{"gone.txt", "File not found", ""}));
    EXPECT_EQ(row(2), (std::vector<std::string>{"same.txt", "OK", ""}));
    EXPECT_EQ(TextOf(kByteLabel), "0 / 0 Bytes");
    auto* save = results.findChild<QPushButton*>("ctl1080");
    auto* ok = results.findChild<QPushButton*>("ctl1");
    ASSERT_TRUE(save != nullptr && ok != nullptr);
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(ok->isEnabled());

    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"Saved verify results to: 'VerifyResults.txt'"});
    const std::string rule(73, '-');
    const std::string expected = rule + "\n" + std::string(29, ' ') + "Verify Results" + std::string(30, ' ') + "\n" +
                                 rule + "\n\n" +
                                 "Filename                            Verify           Error starts at byte\n"
                                 "--------                            ------           --------------------\n"
                                 "changed.txt                         Failed           5000                \n"
                                 "gone.txt                            File not found                       \n"
                                 "same.txt                            OK                                   \n";
    const Bytes saved = FileBytes(root + "/start/VerifyResults.txt");
    EXPECT_EQ(std::string(saved.begin(), saved.end()), expected);

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(results.isVisible());
    EXPECT_EQ(list->topLevelItemCount(), 3) << "rows stay until the next run";
    TapeStructure::ExpectMatches(image, Catalog(), 1024, root);
}

TEST_F(JobsWindowTest, VerifyWithNothingMarkedKeepsTheResultsHidden) {
    MakeFile("a.txt", 100, 1);
    BackUpSource();
    ClickTab(kVerifyTab);
    Click(kLeftDirTape);
    Click(kStart);
    EXPECT_EQ(script.Texts(), std::vector<std::string>{"No files selected."});
    EXPECT_FALSE(window->ResultsWindow().isVisible());
}

// "Import Directory File from Floppy" brings back an older copy of the
// catalog, which lists fewer records than the tape holds: the next backup
// is refused, and the records it does not know stay on tape.
TEST_F(JobsWindowTest, OlderCatalogImportedFromTheFloppyIsRefusedAtTheNextBackup) {
    MakeFile("one.txt", 3000, 1);
    MakeFile("two.txt", 5000, 2);
    BackUpSource();
    const std::string floppy = root + "/floppy";
    std::filesystem::create_directories(floppy);
    std::filesystem::copy_file(Catalog(), floppy + "/Daily.twd");
    const Bytes older = FileBytes(Catalog());
    Click(kStart);  // the same two files once more: four records on tape
    ASSERT_EQ(script.Shown().size(), 1u);
    ASSERT_EQ(script.Shown()[0].title, "Yeah!");
    script.Clear();

    setenv("TAPEWREN_FLOPPY", floppy.c_str(), 1);
    ClickTab(kUtilitiesTab);
    // The Copy From Floppy dialog: the row of Daily, then OK; the overwrite
    // question that follows is answered OK by the script.
    auto picked = std::make_shared<bool>(false);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [picked, weak = std::weak_ptr<std::function<void()>>(poll)] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog == nullptr || dialog->objectName() != QStringLiteral("copyFromFloppy")) {
            if (auto again = weak.lock()) QTimer::singleShot(10, *again);
            return;
        }
        *picked = true;
        auto* list = dialog->findChild<QTreeWidget*>(QStringLiteral("ctl1069"));
        const auto rows = list->findItems(QStringLiteral("Daily"), Qt::MatchExactly, 0);
        if (!rows.isEmpty())
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(rows.front()).center());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("ctl1")), Qt::LeftButton);
    };
    QTimer::singleShot(10, *poll);
    Click(kImportFromFloppy);
    unsetenv("TAPEWREN_FLOPPY");
    ASSERT_TRUE(*picked);
    ASSERT_EQ(FileBytes(Catalog()), older);
    script.Clear();
    const Bytes tape = FileBytes(image);

    ClickTab(kBackupTab);
    Browse(kLeftList, Src());
    ClickRow(kLeftList, "one.txt");
    Click(kStart);
    EXPECT_EQ(script.Texts(), std::vector<std::string>{
                                  "Error: the tape holds 2 file records that the DirFile on hard drive does not list.\n"
                                  "Nothing was written. Create the Directory File from tape contents, or import the "
                                  "newer copy, on the Utilities tab.\n\nTape: Daily\nCatalog: " + Catalog()});
    EXPECT_TRUE(FileBytes(image) == tape) << "the tape changed";
    EXPECT_EQ(FileBytes(Catalog()), older);
}

// Stop (in EXIT's place) or the close box during a backup asks whether to
// stop after the current file; yes ends the run there with the catalog in
// step, and a close then closes the window. Other controls ignore the user
// meanwhile.
class StoppedJobsWindowTest : public JobsWindowTest, public testing::WithParamInterface<bool> {};

TEST_P(StoppedJobsWindowTest, StopAfterTheCurrentFileKeepsTheCatalogInStep) {
    const bool closing = GetParam();
    for (const char* name : {"a.bin", "b.bin", "c.bin"}) MakeFile(name, 70000, 1);
    Format();
    ClickTab(kBackupTab);
    Browse(kLeftList, Src());
    ClickRow(kLeftList, ".");
    std::string exitText;
    bool asked = false;
    cdbs.clear();
    FaultyAdapter* drive = faulty;
    drive->beforeCdb = [&](std::span<const std::uint8_t> cdb) {
        if (cdb[0] != 0x0A || asked) return;  // the first WRITE
        asked = true;
        exitText = TextOf(kExit);
        Click(kStart);  // ignored: a job runs
        if (closing)
            window->close();
        else
            Click(kExit);
    };
    Click(kStart);
    drive->beforeCdb = nullptr;
    EXPECT_EQ(exitText, "Stop");
    EXPECT_EQ(TextOf(kExit), "EXIT");
    ASSERT_EQ(script.Shown().size(), 2u) << script.Texts().back();
    EXPECT_EQ(script.Shown()[0].text.rfind("Stop after the current file?", 0), 0u);
    EXPECT_EQ(script.Shown()[1].text.rfind("Backup stopped as asked: 1 of 3 files backed up.", 0), 0u)
        << script.Shown()[1].text;
    EXPECT_EQ(Column0(kRightList), std::vector<std::string>{"a.bin"});
    TapeStructure::ExpectMatches(image, Catalog(), 1024, root);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->isVisible(), !closing);
}

INSTANTIATE_TEST_SUITE_P(StopOrClose, StoppedJobsWindowTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "CloseBox" : "StopButton"; });

}  // namespace

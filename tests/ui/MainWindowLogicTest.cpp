// The window's logic driven without a window: device outcomes, tab layout,
// which lists are filled from where, and the status display.
#include "ui/MainWindowLogic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "scsi/Sleep.h"
#include "support/BrowserTree.h"
#include "support/EnvironmentGuard.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/ControlId.h"
#include "ui/StatusView.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"

namespace {

class CountingView : public StatusView {
public:
    void StatusChanged() override { ++statusRepaints; }
    void ProgressChanged() override { ++progressRepaints; }
    int statusRepaints = 0;
    int progressRepaints = 0;
};

void NoSleep(unsigned) {}

}  // namespace

// Started in a scratch start directory.
class MainWindowLogicTest : public testing::Test {
protected:
    void SetUp() override {
        previousSleep_ = SetSleepFunction(NoSleep);
        start_ = std::filesystem::current_path();
        tree.Folder("start");
        std::filesystem::current_path(tree.Path("start"));
        auto adapter = std::make_unique<ScriptedDriveAdapter>("SCRIPTED HBA");
        drives = adapter.get();
        drives->At(2).type = 1;
        drives->At(2).blockLength = 512;
        drives->At(2).blockCount = 4096;
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        adapters.push_back(std::move(adapter));
        HostAdapterList::Install(std::move(adapters));
    }
    void TearDown() override {
        window.reset();
        HostAdapterList::Install({});
        std::filesystem::current_path(start_);
        SetSleepFunction(previousSleep_);
    }
    WindowController& Start() {
        window = std::make_unique<WindowController>(messages, browserMessages, tree.Path("no-mounts"));
        window->SetView(&view);
        window->Initialise(1);
        return *window;
    }
    WindowState& State() { return window->State(); }
    // A directory file in the start directory holding one entry, name.
    std::string MakeCatalog(const std::string& tape, const std::string& name) {
        DirFile dirFile(messages);
        const std::string path = tree.Path("start/" + tape + ".twd");
        EXPECT_EQ(dirFile.CreateForNewTape(tape, path), 0);
        EXPECT_EQ(dirFile.AppendEntry(path, name, "01.02.2003", "04.05.2006", 5, 1), 0);
        return path;
    }

    BrowserTree tree;
    ScriptedDriveAdapter* drives = nullptr;
    ScriptedMessages messages;
    ScriptedMessages browserMessages;
    CountingView view;
    std::unique_ptr<WindowController> window;

private:
    SleepFunction previousSleep_ = nullptr;
    std::filesystem::path start_;
};

TEST_F(MainWindowLogicTest, StartsRememberingTheStartDirectoryAndBrowsingHome) {
    tree.Folder("home");
    EnvironmentGuard env;
    env.Set("HOME", tree.Path("home").c_str());
    Start();
    EXPECT_EQ(window->Shared().StartDirectory(), tree.Path("start"));
    EXPECT_EQ(std::filesystem::current_path().string(), tree.Path("home"));
    EXPECT_TRUE(window->Shared().CurrentTapeName().empty());
    EXPECT_TRUE(window->Shared().CurrentDirFilePath().empty());
}

TEST_F(MainWindowLogicTest, AcceptedDriveLaysOutTheBackupTabAndFillsTheBrowserWithTheHomeFolder) {
    tree.Folder("home/me");
    EnvironmentGuard env;
    env.Set("HOME", tree.Path("home/me").c_str());
    Start();
    const WindowState& s = State();
    EXPECT_EQ(s.area, TabAreaState::Ready);
    EXPECT_EQ(s.deviceIndex, 2);
    EXPECT_EQ(s.blockSize, "512");
    EXPECT_EQ(s.capacity, "2");
    EXPECT_EQ(s.statusText, " Ready.");
    EXPECT_TRUE(s.Control(kTabControl).enabled);
    EXPECT_FALSE(s.Control(kDeviceStateLabel).visible);
    EXPECT_EQ(s.defaultButton, kStart);
    // The browser lists the home folder, the drive entry first; a restore
    // would go there too.
    ASSERT_GT(s.leftList.RowCount(), 0u);
    EXPECT_EQ(s.leftList.Row(0).Text(0), "/");
    EXPECT_EQ(s.leftList.Row(0).image, kImageDrive);
    EXPECT_EQ(s.browseDirectory, tree.Path("home/me/"));
    EXPECT_EQ(window->BrowsedFolder(), tree.Path("home/me/"));
    EXPECT_EQ(s.rightLabel, "Tape:");
    EXPECT_EQ(s.rightList.RowCount(), 0u);
    EXPECT_EQ(s.byteLabel, "0 / 0 Bytes");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowLogicTest, FailedSwitchFromVariableModeIsReportedAndTheDriveRefused) {
    drives->At(2).blockLength = 0;
    drives->At(2).acceptsModeSelect = false;
    Start();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: ModeSelect failed", 3}}));
    EXPECT_EQ(State().area, TabAreaState::NotSupported);
    EXPECT_EQ(State().notice, "- device not supported, must have block size >0 and <2048 -");
    EXPECT_EQ(State().defaultButton, kDeviceCombo);
}

TEST_F(MainWindowLogicTest, TabsAreIgnoredWhileNoUsableDriveIsChosen) {
    drives->At(2).type = 0;
    Start();
    ASSERT_EQ(State().area, TabAreaState::NoTapeDevice);
    window->ChooseTab(kUtilitiesTab);
    EXPECT_EQ(State().tab, kBackupTab);
    for (int id : TabLayout::AreaControls()) EXPECT_FALSE(State().Control(id).visible) << id;
}

TEST_F(MainWindowLogicTest, CurrentCatalogIsListedOnTheTabsThatShowIt) {
    Start();
    const std::string tape(28, 'M');
    window->Shared().CurrentTapeName() = tape;
    window->Shared().CurrentDirFilePath() = MakeCatalog(tape, "backup.zip");
    window->ChooseTab(kVerifyTab);
    ASSERT_EQ(State().leftList.RowCount(), 1u);
    EXPECT_EQ(State().leftList.Row(0).Text(0), "backup.zip");
    EXPECT_EQ(State().leftLabel, "Tape: '" + std::string(17, 'M') + "...'");
    // The other list browses where the browser stands.
    EXPECT_EQ(State().rightLabel, State().browseDirectory);
    EXPECT_EQ(State().rightList.Row(0).Text(0), "/");
    window->ChooseTab(kBackupTab);
    EXPECT_EQ(State().rightLabel, "Tape: '" + std::string(27, 'M') + "...'");
    EXPECT_EQ(State().rightList.Row(0).image, 14);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowLogicTest, WithoutADirectoryFileTheCatalogListStaysEmpty) {
    Start();
    window->Shared().CurrentTapeName() = "Monday";
    window->ChooseTab(kRestoreTab);
    EXPECT_EQ(State().leftLabel, "Tape:");
    EXPECT_EQ(State().leftList.RowCount(), 0u);
}

TEST_F(MainWindowLogicTest, UtilitiesListsDirectoryFilesOfTheStartDirectory) {
    MakeCatalog("Weekly", "a.txt");
    tree.File("start/notes.txt", 3);
    Start();
    window->ChooseTab(kUtilitiesTab);
    ASSERT_EQ(State().rightList.RowCount(), 1u);
    EXPECT_EQ(State().rightList.Row(0).Text(0), "Weekly");
    EXPECT_EQ(State().rightLabel, "Tape Directory Files:");
    EXPECT_EQ(State().byteLabel, "");
    EXPECT_EQ(State().defaultButton, kFormatTape);
}

TEST_F(MainWindowLogicTest, TabSwitchDropsTheMarkedTotal) {
    Start();
    window->Shared().Counters().bytesTotal = 4096;
    window->Status().ShowProgress(0, 4096);
    window->ChooseTab(kRestoreTab);
    EXPECT_EQ(window->Shared().Counters().bytesTotal, 0);
    EXPECT_EQ(State().byteLabel, "0 / 0 Bytes");
    EXPECT_EQ(State().progress.Maximum(), 0);
}

TEST_F(MainWindowLogicTest, LeftoverBackupDateColumnGoesOnTheUtilitiesTab) {
    Start();
    window->ChooseTab(kRestoreTab);
    ASSERT_EQ(State().leftList.Columns().size(), 4u);
    window->ChooseTab(kUtilitiesTab);
    EXPECT_EQ(State().leftList.Columns().size(), 3u);
}

// The drive's state too: it stands behind the message that ends a job.
TEST_F(MainWindowLogicTest, StatusAndDriveStatusArePushedToTheViewAtOnce) {
    Start();
    const int before = view.statusRepaints;
    window->Status().ShowStatus(" Rewinding tape ...");
    EXPECT_EQ(view.statusRepaints, before + 1);
    EXPECT_EQ(State().statusText, " Rewinding tape ...");
    window->ShowDriveStatus();
    EXPECT_EQ(view.statusRepaints, before + 2);
    EXPECT_EQ(State().statusText, " Ready.");
}

TEST_F(MainWindowLogicTest, ReadyDriveWithATapeEnablesTheTapeButtons) {
    Start();
    for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape}) State().Enable(id, false);
    window->ShowDriveStatus();
    for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape}) EXPECT_TRUE(State().Control(id).enabled) << id;
}

TEST_F(MainWindowLogicTest, DriveWithoutCartridgeLeavesTheTapeButtonsAlone) {
    drives->At(2).loaded = false;
    Start();
    State().Enable(kStart, false);
    window->ShowDriveStatus();
    EXPECT_EQ(State().statusText, " Check device condition!");
    EXPECT_FALSE(State().Control(kStart).enabled);
}

struct DefaultCase {
    TabAreaState area;
    int tab;
    int button;
};

class DefaultButtonTest : public testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultButtonTest, EnterPressesThisButton) {
    EXPECT_EQ(MainWindowLogic::DefaultButtonFor(GetParam().area, GetParam().tab), GetParam().button);
}

INSTANTIATE_TEST_SUITE_P(Rule, DefaultButtonTest,
                         testing::Values(DefaultCase{TabAreaState::Ready, kBackupTab, kStart},
                                         DefaultCase{TabAreaState::Ready, kRestoreTab, kStart},
                                         DefaultCase{TabAreaState::Ready, kVerifyTab, kStart},
                                         DefaultCase{TabAreaState::Ready, kUtilitiesTab, kFormatTape},
                                         DefaultCase{TabAreaState::Starting, kUtilitiesTab, kAbout},
                                         DefaultCase{TabAreaState::NoTapeDevice, kBackupTab, kDeviceCombo},
                                         DefaultCase{TabAreaState::NotSupported, kUtilitiesTab, kDeviceCombo}));

// The window's logic driven without a window: device outcomes, tab layout,
// which lists are filled from where, and the status display.
#include "ui/MainWindowLogic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "scsi/DeviceSelector.h"
#include "scsi/ScsiDevice.h"
#include "scsi/Sleep.h"
#include "support/ScriptedDriveAdapter.h"
#include "support/ScriptedMessages.h"
#include "ui/ControlId.h"
#include "ui/ListFiller.h"
#include "lists/ListModel.h"
#include "ui/StatusView.h"
#include "ui/TabLayout.h"

namespace {

struct FillCall {
    std::string kind;
    std::string where;
    std::string pattern;
    bool operator==(const FillCall&) const = default;
};

class RecordingFiller : public ListFiller {
public:
    int Fill(ListModel& list, const std::string& directory, const std::string& pattern) override {
        calls.push_back({"Fill", directory, pattern});
        list.AddRow({{"entry"}, 10, 0});
        return 0;
    }
    std::string CurrentPath() const override { return currentPath; }
    int ListDirFile(ListModel& list, const std::string& path, bool withUpRow) override {
        calls.push_back({withUpRow ? "ListDirFile+Up" : "ListDirFile", path, ""});
        list.AddRow({{"backup.zip"}, 14, 0});
        return 0;
    }
    std::vector<FillCall> calls;
    std::string currentPath = "/home/";
};

class CountingView : public StatusView {
public:
    void StatusChanged() override { ++statusRepaints; }
    void ProgressChanged() override { ++progressRepaints; }
    int statusRepaints = 0;
    int progressRepaints = 0;
};

void NoSleep(unsigned) {}

}  // namespace

class MainWindowLogicTest : public testing::Test {
protected:
    void SetUp() override {
        previousSleep_ = SetSleepFunction(NoSleep);
        start_ = std::filesystem::current_path();
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
        HostAdapterList::Install({});
        std::filesystem::current_path(start_);
        SetSleepFunction(previousSleep_);
    }
    MainWindowLogic& Start() {
        logic.SetListFiller(&filler);
        logic.SetView(&view);
        logic.Initialise(1);
        return logic;
    }

    ScriptedDriveAdapter* drives = nullptr;
    ScriptedMessages messages;
    ScsiDevice device;
    DeviceSelector selector{device};
    MainWindowLogic logic{messages, selector};
    RecordingFiller filler;
    CountingView view;

private:
    SleepFunction previousSleep_ = nullptr;
    std::filesystem::path start_;
};

TEST_F(MainWindowLogicTest, StartsRememberingTheStartDirectoryAndBrowsingRoot) {
    const std::string start = std::filesystem::current_path().string();
    Start();
    EXPECT_EQ(logic.State().startDirectory, start);
    EXPECT_EQ(std::filesystem::current_path().string(), "/");
    EXPECT_TRUE(logic.State().currentTapeName.empty());
    EXPECT_TRUE(logic.State().currentDirFilePath.empty());
}

TEST_F(MainWindowLogicTest, AcceptedDriveLaysOutTheBackupTabAndFillsTheBrowser) {
    Start();
    const WindowState& s = logic.State();
    EXPECT_EQ(s.area, TabAreaState::Ready);
    EXPECT_EQ(s.deviceIndex, 2);
    EXPECT_EQ(s.blockSize, "512");
    EXPECT_EQ(s.capacity, "2");
    EXPECT_EQ(s.statusText, " Ready.");
    EXPECT_TRUE(s.Control(kTabControl).enabled);
    EXPECT_FALSE(s.Control(kDeviceStateLabel).visible);
    EXPECT_EQ(s.defaultButton, kStart);
    EXPECT_EQ(filler.calls, (std::vector<FillCall>{{"Fill", "/", "*.*"}}));
    EXPECT_EQ(s.leftList.RowCount(), 1u);
    EXPECT_EQ(s.leftLabel, "/home/");
    EXPECT_EQ(s.browseDirectory, "/home/");
    EXPECT_EQ(s.rightLabel, "Tape:");
    EXPECT_EQ(s.byteLabel, "0 / 0 Bytes");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(MainWindowLogicTest, FailedSwitchFromVariableModeIsReportedAndTheDriveRefused) {
    drives->At(2).blockLength = 0;
    drives->At(2).acceptsModeSelect = false;
    Start();
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: ModeSelect failed", 3}}));
    EXPECT_EQ(logic.State().area, TabAreaState::NotSupported);
    EXPECT_EQ(logic.State().notice, "- device not supported, must have block size >0 and <2048 -");
    EXPECT_EQ(logic.State().defaultButton, kDeviceCombo);
}

TEST_F(MainWindowLogicTest, TabsAreIgnoredWhileNoUsableDriveIsChosen) {
    drives->At(2).type = 0;
    Start();
    ASSERT_EQ(logic.State().area, TabAreaState::NoTapeDevice);
    logic.ChooseTab(kUtilitiesTab);
    EXPECT_EQ(logic.State().tab, kBackupTab);
    for (int id : TabLayout::AreaControls()) EXPECT_FALSE(logic.State().Control(id).visible) << id;
}

TEST_F(MainWindowLogicTest, CurrentCatalogIsListedOnTheTabsThatShowIt) {
    Start();
    logic.State().currentTapeName = std::string(28, 'M');
    logic.State().currentDirFilePath = "/start/" + std::string(28, 'M') + ".twd";
    filler.calls.clear();
    logic.ChooseTab(kVerifyTab);
    EXPECT_EQ(filler.calls, (std::vector<FillCall>{{"ListDirFile", logic.State().currentDirFilePath, ""},
                                                  {"Fill", "/home/", "*.*"}}));
    EXPECT_EQ(logic.State().leftLabel, "Tape: '" + std::string(17, 'M') + "...'");
    logic.ChooseTab(kBackupTab);
    EXPECT_EQ(logic.State().rightLabel, "Tape: '" + std::string(27, 'M') + "...'");
    EXPECT_EQ(logic.State().rightList.Row(0).image, 14);
}

TEST_F(MainWindowLogicTest, WithoutADirectoryFileTheCatalogListStaysEmpty) {
    Start();
    logic.State().currentTapeName = "Monday";
    logic.ChooseTab(kRestoreTab);
    EXPECT_EQ(logic.State().leftLabel, "Tape:");
    EXPECT_EQ(logic.State().leftList.RowCount(), 0u);
}

TEST_F(MainWindowLogicTest, UtilitiesListsDirectoryFilesOfTheStartDirectory) {
    const std::string start = std::filesystem::current_path().string();
    Start();
    filler.calls.clear();
    logic.ChooseTab(kUtilitiesTab);
    EXPECT_EQ(filler.calls, (std::vector<FillCall>{{"Fill", start, "*.twd"}}));
    EXPECT_EQ(logic.State().rightLabel, "Tape Directory Files:");
    EXPECT_EQ(logic.State().byteLabel, "");
    EXPECT_EQ(logic.State().defaultButton, kFormatTape);
}

TEST_F(MainWindowLogicTest, TabSwitchDropsTheMarkedTotal) {
    Start();
    logic.Counters().bytesTotal = 4096;
    logic.ShowProgress(0, 4096);
    logic.ChooseTab(kRestoreTab);
    EXPECT_EQ(logic.Counters().bytesTotal, 0);
    EXPECT_EQ(logic.State().byteLabel, "0 / 0 Bytes");
    EXPECT_EQ(logic.State().progress.Maximum(), 0);
}

TEST_F(MainWindowLogicTest, LeftoverBackupDateColumnGoesOnTheUtilitiesTab) {
    Start();
    logic.ChooseTab(kRestoreTab);
    ASSERT_EQ(logic.State().leftList.Columns().size(), 4u);
    logic.ChooseTab(kUtilitiesTab);
    EXPECT_EQ(logic.State().leftList.Columns().size(), 3u);
}

TEST_F(MainWindowLogicTest, StatusIsPushedToTheViewAtOnceDriveStatusIsNot) {
    Start();
    const int before = view.statusRepaints;
    logic.ShowStatus(" Rewinding tape ...");
    EXPECT_EQ(view.statusRepaints, before + 1);
    EXPECT_EQ(logic.State().statusText, " Rewinding tape ...");
    logic.ShowDriveStatus();
    EXPECT_EQ(view.statusRepaints, before + 1);
    EXPECT_EQ(logic.State().statusText, " Ready.");
}

TEST_F(MainWindowLogicTest, ReadyDriveWithATapeEnablesTheTapeButtons) {
    Start();
    for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape}) logic.State().Enable(id, false);
    logic.ShowDriveStatus();
    for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape})
        EXPECT_TRUE(logic.State().Control(id).enabled) << id;
}

TEST_F(MainWindowLogicTest, DriveWithoutCartridgeLeavesTheTapeButtonsAlone) {
    drives->At(2).loaded = false;
    Start();
    logic.State().Enable(kStart, false);
    logic.ShowDriveStatus();
    EXPECT_EQ(logic.State().statusText, " Check device condition!");
    EXPECT_FALSE(logic.State().Control(kStart).enabled);
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

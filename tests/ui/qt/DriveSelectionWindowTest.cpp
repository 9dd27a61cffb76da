// Start-up and device choice as the user sees them: what the combos list,
// which drive is chosen, the fields, the notice and the status line.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "WindowTestSupport.h"
#include "app/DefaultAdapters.h"
#include "support/ScriptedDriveAdapter.h"
#include "ui/ControlId.h"
#include "ui/TabLayout.h"
#include "ui/WindowController.h"

namespace {

std::unique_ptr<ScriptedDriveAdapter> AdapterWith(std::initializer_list<std::pair<int, ScriptedDriveAdapter::Device>> devices,
                                                  const char* identifier = "SCRIPTED HBA") {
    auto adapter = std::make_unique<ScriptedDriveAdapter>(identifier);
    for (const auto& [target, device] : devices) adapter->At(target) = device;
    return adapter;
}

ScriptedDriveAdapter::Device Tape(int blockLength, const char* name = "SCRIPTED TAPE") {
    ScriptedDriveAdapter::Device device;
    device.type = 1;
    device.vendorProduct = name;
    device.blockLength = blockLength;
    device.blockCount = 2000000;
    return device;
}

ScriptedDriveAdapter::Device Disk() {
    ScriptedDriveAdapter::Device device;
    device.type = 0;
    device.vendorProduct = "SCRIPTED DISK";
    return device;
}

std::vector<std::unique_ptr<HostAdapter>> One(std::unique_ptr<HostAdapter> adapter) {
    std::vector<std::unique_ptr<HostAdapter>> adapters;
    adapters.push_back(std::move(adapter));
    return adapters;
}

}  // namespace

class DriveSelectionWindowTest : public WindowTest {
protected:
    void ExpectTabAreaHiddenBehind(const std::string& notice) {
        EXPECT_TRUE(Shown(kDeviceStateLabel));
        EXPECT_EQ(TextOf(kDeviceStateLabel), notice);
        EXPECT_FALSE(Get<QTabWidget>(kTabControl)->isEnabled());
        for (int id : TabLayout::AreaControls()) EXPECT_FALSE(Shown(id)) << "control " << id;
    }
};

TEST_F(DriveSelectionWindowTest, OpensTitledWithDialogSizeAndEveryTabName) {
    Install({});
    MainWindow& w = Open();
    EXPECT_EQ(w.windowTitle().toStdString(), "Wren File Backup");
    EXPECT_EQ(w.size(), QSize(582, 439));
    auto* tabs = Get<QTabWidget>(kTabControl);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0).toStdString(), "Backup");
    EXPECT_EQ(tabs->tabText(1).toStdString(), "Restore");
    EXPECT_EQ(tabs->tabText(2).toStdString(), "Verify");
    EXPECT_EQ(tabs->tabText(3).toStdString(), "Utilities");
    EXPECT_EQ(Get<QPushButton>(kStart)->geometry(), QRect(270, 244, 44, 29));
    EXPECT_EQ(Get<QLineEdit>(kStatusLine)->geometry(), QRect(243, 408, 231, 20));
}

TEST_F(DriveSelectionWindowTest, HighestTapeTargetIsChosenAndVariableModeBecomes1024) {
    auto adapter = AdapterWith({{2, Tape(512, "FIRST TAPE")}, {4, Disk()}, {5, Tape(0, "SECOND TAPE")}});
    ScriptedDriveAdapter* drives = adapter.get();
    Install(One(std::move(adapter)));
    Open();

    EXPECT_EQ(ComboTexts(Get<QComboBox>(kAdapterCombo)), std::vector<std::string>{"0 - SCRIPTED HBA    "});
    auto* devices = Get<QComboBox>(kDeviceCombo);
    ASSERT_EQ(devices->count(), 8);
    EXPECT_EQ(devices->itemText(0).toStdString(), "0 - no device");
    EXPECT_EQ(devices->itemText(4).toStdString(), "4 - SCRIPTED DISK             Type: Disk");
    EXPECT_EQ(devices->itemText(5).toStdString(), "5 - SECOND TAPE               Type: Tape");
    EXPECT_EQ(devices->currentIndex(), 5);
    EXPECT_EQ(drives->modeSelects, 1);
    EXPECT_EQ(TextOf(kBlockSizeField), "1024");
    EXPECT_EQ(TextOf(kCapacityField), "1953");  // 2000000 blocks of 1024 bytes
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    EXPECT_TRUE(Get<QTabWidget>(kTabControl)->isEnabled());
    EXPECT_FALSE(Shown(kDeviceStateLabel));
    EXPECT_TRUE(Shown(kStart));
}

TEST_F(DriveSelectionWindowTest, VirtualDriveIsSwitchedTo1024ByteBlocksAndReady) {
    QTemporaryDir cartridges;
    ASSERT_TRUE(cartridges.isValid());
    qputenv("TAPEWREN_VTAPE", cartridges.path().toUtf8());
    qunsetenv("TAPEWREN_VTAPE_CAPACITY_MB");
    qunsetenv("TAPEWREN_ISCSI");
    InstallDefaultAdapters();
    Open();
    qunsetenv("TAPEWREN_VTAPE");

    EXPECT_EQ(ComboTexts(Get<QComboBox>(kAdapterCombo)), std::vector<std::string>{"0 - VIRTUAL TAPE    "});
    auto* devices = Get<QComboBox>(kDeviceCombo);
    ASSERT_EQ(devices->count(), 8);
    EXPECT_EQ(devices->currentIndex(), 0);
    EXPECT_NE(devices->itemText(0).toStdString().find("Type: Tape"), std::string::npos);
    EXPECT_EQ(TextOf(kBlockSizeField), "1024");
    EXPECT_EQ(TextOf(kCapacityField), "4096");
    EXPECT_EQ(TextOf(kStatusLine), " Ready.");
    EXPECT_TRUE(Get<QTabWidget>(kTabControl)->isEnabled());
    EXPECT_TRUE(Shown(kStart));
    EXPECT_FALSE(Shown(kDeviceStateLabel));
}

TEST_F(DriveSelectionWindowTest, NonTapeTargetShowsNoTapeDeviceNotice) {
    Install(One(AdapterWith({{3, Disk()}})));
    Open();
    EXPECT_EQ(Get<QComboBox>(kDeviceCombo)->currentIndex(), 0);
    ExpectTabAreaHiddenBehind("- no tape device selected -");
    EXPECT_EQ(window->Controller().State().defaultButton, kDeviceCombo);
}

TEST_F(DriveSelectionWindowTest, ChoosingTheDiskAfterATapeHidesTheTabArea) {
    Install(One(AdapterWith({{3, Disk()}, {6, Tape(1024)}})));
    Open();
    ASSERT_TRUE(Shown(kStart));
    auto* devices = Get<QComboBox>(kDeviceCombo);
    devices->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(devices, Qt::Key_Up);
    ASSERT_EQ(devices->currentIndex(), 3);
    ExpectTabAreaHiddenBehind("- no tape device selected -");
}

TEST_F(DriveSelectionWindowTest, BlockLength4096IsRefusedAndLeftAlone) {
    auto adapter = AdapterWith({{1, Tape(4096)}});
    ScriptedDriveAdapter* drives = adapter.get();
    Install(One(std::move(adapter)));
    Open();
    ExpectTabAreaHiddenBehind("- device not supported, must have block size >0 and <2048 -");
    EXPECT_EQ(TextOf(kBlockSizeField), "4096");
    EXPECT_EQ(drives->modeSelects, 0);
}

TEST_F(DriveSelectionWindowTest, BlockLength2048IsAccepted) {
    Install(One(AdapterWith({{1, Tape(2048)}})));
    Open();
    EXPECT_TRUE(Shown(kStart));
    EXPECT_FALSE(Shown(kDeviceStateLabel));
}

TEST_F(DriveSelectionWindowTest, NoAdapterAtAllListsNoDeviceAndKeepsTheTabControlDisabled) {
    // ASPI answers with a count of 0: nothing to list, nothing to choose.
    Install({});
    Open();
    EXPECT_EQ(Get<QComboBox>(kAdapterCombo)->count(), 0);
    auto* devices = Get<QComboBox>(kDeviceCombo);
    ASSERT_EQ(devices->count(), 8);
    EXPECT_EQ(devices->itemText(7).toStdString(), "7 - no device");
    ExpectTabAreaHiddenBehind("- no tape device selected -");
    EXPECT_FALSE(Get<QTabWidget>(kTabControl)->isEnabled());
    for (int id : TabLayout::AreaControls()) EXPECT_FALSE(Shown(id)) << "control " << id;
    EXPECT_TRUE(Get<QPushButton>(kAbout)->isEnabled());
    EXPECT_TRUE(Get<QPushButton>(kExit)->isEnabled());
}

TEST_F(DriveSelectionWindowTest, EnterDoesNothingWhileTheChosenDeviceIsUnusable) {
    Install(One(AdapterWith({{3, Disk()}})));
    Open();
    bool dialogOpened = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = QApplication::activeModalWidget(); dialog && dialog != window.get()) {
            dialogOpened = true;
            dialog->close();
        }
    });
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_FALSE(dialogOpened);
    EXPECT_TRUE(window->isVisible());
}

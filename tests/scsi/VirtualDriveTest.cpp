// The device layer against the built-in virtual drive: selection switches it
// to fixed blocks, the status follows its cartridge, and blocks written come
// back where the tape commands say they are.

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "ScsiFixture.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "scsi/DeviceSelector.h"
#include "support/RecordingStatus.h"
#include "support/ScriptedMessages.h"

namespace {

class VirtualDrive : public ScsiFixture {
protected:
    void SetUp() override {
        ScsiFixture::SetUp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("tw-scsi-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }

    void TearDown() override {
        ScsiFixture::TearDown();  // closes the drive before its folder goes
        std::filesystem::remove_all(folder_);
    }

    // A folder of cartridges, or `source` itself when given.
    VirtualHostAdapter& Install(const std::string& source = "") {
        VirtualTapeConfig config;
        config.source = source.empty() ? folder_.string() : source;
        config.sourceIsFolder = VirtualTapeConfig::IsImageName(config.source) == false;
        config.SetCapacity(64ULL << 20);
        auto adapter = std::make_unique<VirtualHostAdapter>(std::make_unique<VirtualTapeDrive>(config));
        VirtualHostAdapter& ref = *adapter;
        std::vector<std::unique_ptr<HostAdapter>> list;
        list.push_back(std::move(adapter));
        HostAdapterList::Install(std::move(list));
        return ref;
    }

    std::filesystem::path folder_;
    ScsiDevice device;
    DeviceSelector selector{device};
    ScriptedMessages messages;
    RecordingStatus status;
};

TEST_F(VirtualDrive, SelectionSwitchesItFromVariableTo1024ByteBlocks) {
    VirtualHostAdapter& adapter = Install();
    ASSERT_EQ(adapter.Drive().BlockLength(), 0u);
    const AdapterListing listing = selector.ListAdapters(messages, status);
    ASSERT_EQ(listing.entries, (std::vector<std::string>{"0 - VIRTUAL TAPE    "}));
    const DeviceSelection& s = listing.devices.selection;
    EXPECT_EQ(listing.devices.chosen, VirtualHostAdapter::kTarget);
    EXPECT_EQ(s.outcome, SelectionOutcome::Accepted);
    EXPECT_EQ(adapter.Drive().BlockLength(), 1024u);
    EXPECT_EQ(s.blockSize, "1024");
    EXPECT_EQ(s.capacity, "64");
    EXPECT_EQ(s.status.text, " Ready.");
    EXPECT_TRUE(s.status.enableTapeButtons);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(VirtualDrive, DriveWithoutCartridgeIsNotReportedReady) {
    Install((folder_ / "no-such-folder").string());
    const DeviceSelection s = selector.ListAdapters(messages, status).devices.selection;
    EXPECT_EQ(s.status.text, " Check device condition!");
    EXPECT_FALSE(s.status.enableTapeButtons);
}

TEST_F(VirtualDrive, BlocksComeBackWhereTheTapeCommandsPutThem) {
    Install();
    selector.ListAdapters(messages, status);
    const DriveAddress& a = selector.Address();
    std::vector<BYTE> first(2048), second(1024), back(2048);
    std::iota(first.begin(), first.end(), BYTE{1});
    std::iota(second.begin(), second.end(), BYTE{100});

    ASSERT_EQ(device.Rewind(a.adapter, a.target, a.lun), 0);
    ASSERT_EQ(device.Write(first.data(), 2, a.adapter, a.target, a.lun), 0);
    ASSERT_EQ(device.WriteFilemark(a.adapter, a.target, a.lun), 0);
    ASSERT_EQ(device.Write(second.data(), 1, a.adapter, a.target, a.lun), 0);
    ASSERT_EQ(device.WriteFilemark(a.adapter, a.target, a.lun), 0);

    ASSERT_EQ(device.Rewind(a.adapter, a.target, a.lun), 0);
    ASSERT_EQ(device.Read(back.data(), 2, a.adapter, a.target, a.lun), 0);
    EXPECT_EQ(back, first);
    ASSERT_EQ(device.SpaceFilemarks(1, a.adapter, a.target, a.lun), 0);
    ASSERT_EQ(device.Read(back.data(), 1, a.adapter, a.target, a.lun), 0);
    EXPECT_TRUE(std::equal(second.begin(), second.end(), back.begin()));

    ASSERT_EQ(device.Rewind(a.adapter, a.target, a.lun), 0);
    EXPECT_EQ(device.SpaceToEndOfData(a.adapter, a.target, a.lun), SS_COMP);
    // Nothing more to read at end of data; the drive says so (BLANK CHECK),
    // so the read is not sent again.
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(device.Read(back.data(), 1, a.adapter, a.target, a.lun), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Read-Fehler: 4\n");
    EXPECT_EQ(Pauses(500), 0);
}

TEST_F(VirtualDrive, EjectLoadsTheNextCartridge) {
    VirtualHostAdapter& adapter = Install();
    selector.ListAdapters(messages, status);
    const DriveAddress& a = selector.Address();
    ASSERT_NE(adapter.Drive().Loaded(), nullptr);
    ASSERT_EQ(device.Eject(a.adapter, a.target, a.lun), 0);
    EXPECT_EQ(selector.ReadDriveStatus().text, " Ready.");
}

}  // namespace

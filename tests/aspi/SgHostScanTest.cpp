// Discovery of SCSI hosts and their devices from a sysfs tree built in a
// temporary folder, the way the kernel lays it out.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "aspi/HostAdapter.h"
#include "aspi/sg/SgHostScan.h"
#include "aspi/sg/SgTransport.h"

namespace fs = std::filesystem;

namespace {

class NoKernel : public SgTransport {
public:
    int Open(const char*) override { return -19; }
    int SgIo(int, sg_io_hdr_t&) override { return -19; }
    void Close(int) override {}
};

class SgHostScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tw-sysfs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    void Host(int n, const std::string& procName, const std::string& uniqueId = "0") {
        const fs::path host = root_ / "class" / "scsi_host" / ("host" + std::to_string(n));
        Write(host / "proc_name", procName + "\n");
        Write(host / "unique_id", uniqueId + "\n");
    }
    void Device(const std::string& address, int type, const std::string& sg) {
        const fs::path device = root_ / "bus" / "scsi" / "devices" / address;
        Write(device / "type", std::to_string(type) + "\n");
        if (!sg.empty()) fs::create_directories(device / "scsi_generic" / sg);
    }
    std::vector<std::unique_ptr<HostAdapter>> Scan(SgHostFilter filter) {
        return CreateSgHostAdapters(root_.string(), filter, std::make_shared<NoKernel>());
    }

    fs::path root_;
};

TEST_F(SgHostScanTest, DevicesAtTargetsZeroToSevenWithTheirTypes) {
    Host(2, "mptspi");
    Device("2:0:3:0", 1, "sg4");
    Device("2:0:5:0", 0, "sg1");
    const auto adapters = Scan(SgHostFilter::AnyDevice);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->DeviceType(3), 1);
    EXPECT_EQ(adapters[0]->DeviceType(5), 0);
    for (int t : {0, 1, 2, 4, 6, 7}) EXPECT_EQ(adapters[0]->DeviceType(t), -1) << t;
    EXPECT_EQ(adapters[0]->DeviceType(8), -1);
}

TEST_F(SgHostScanTest, HostWithoutDevicesIsNotListed) {
    Host(0, "ahci");
    Host(1, "mptspi");
    Device("1:0:0:0", 1, "sg0");
    const auto adapters = Scan(SgHostFilter::AnyDevice);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->Identifier(), "mptspi");
}

TEST_F(SgHostScanTest, OtherChannelsLunsAndHighTargetsAreIgnored) {
    Host(0, "mptsas");
    Device("0:1:0:0", 1, "sg0");
    Device("0:0:0:1", 1, "sg1");
    Device("0:0:8:0", 1, "sg2");
    EXPECT_TRUE(Scan(SgHostFilter::AnyDevice).empty());
}

TEST_F(SgHostScanTest, DeviceWithoutGenericNodeIsNotReachable) {
    Host(0, "mptspi");
    Device("0:0:2:0", 1, "");
    EXPECT_TRUE(Scan(SgHostFilter::AnyDevice).empty());
}

TEST_F(SgHostScanTest, TapeFilterKeepsOnlyHostsWithATapeDrive) {
    Host(0, "ahci");
    Device("0:0:0:0", 0, "sg0");
    Host(3, "qla2xxx");
    Device("3:0:1:0", 8, "sg1");
    Device("3:0:2:0", 1, "sg2");
    const auto adapters = Scan(SgHostFilter::TapeDrive);
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->DeviceType(2), 1);
    EXPECT_EQ(adapters[0]->DeviceType(1), 8);
}

TEST_F(SgHostScanTest, HostsInAscendingNumberNotDirectoryOrder) {
    for (int n : {10, 2, 1}) {
        Host(n, "h" + std::to_string(n));
        Device(std::to_string(n) + ":0:0:0", 1, "sg" + std::to_string(n));
    }
    const auto adapters = Scan(SgHostFilter::AnyDevice);
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0]->Identifier(), "h1");
    EXPECT_EQ(adapters[1]->Identifier(), "h2");
    EXPECT_EQ(adapters[2]->Identifier(), "h10");
}

TEST_F(SgHostScanTest, IdentifierCombinesProcNameAndUniqueIdWithinSixteen) {
    Host(0, "a_rather_long_driver_name", "7");
    Device("0:0:0:0", 1, "sg0");
    Host(1, "mptspi", "3");
    Device("1:0:0:0", 1, "sg1");
    Host(2, "(null)");
    Device("2:0:0:0", 1, "sg2");
    const auto adapters = Scan(SgHostFilter::AnyDevice);
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0]->Identifier(), "a_rather_long_dr");
    EXPECT_EQ(adapters[1]->Identifier(), "mptspi 3");
    EXPECT_EQ(adapters[2]->Identifier(), "scsi2");
}

TEST_F(SgHostScanTest, GarbageTypeFileMeansNoDevice) {
    Host(0, "mptspi");
    Device("0:0:0:0", 1, "sg0");
    Write(root_ / "bus" / "scsi" / "devices" / "0:0:0:0" / "type", "tape\n");
    EXPECT_TRUE(Scan(SgHostFilter::AnyDevice).empty());
}

TEST_F(SgHostScanTest, MissingSysfsGivesNoAdapters) {
    EXPECT_TRUE(CreateSgHostAdapters((root_ / "nothing").string(), SgHostFilter::AnyDevice,
                                     std::make_shared<NoKernel>())
                    .empty());
}

}  // namespace

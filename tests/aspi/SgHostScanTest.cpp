// Discovery of tape drives from a sysfs tree built in a temporary folder,
// the way the kernel lays it out: one adapter per (host, channel, target)
// that carries a tape drive, its LUNs as targets.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapter.h"
#include "aspi/HostAdapterList.h"
#include "aspi/sg/SgHostAdapter.h"
#include "aspi/sg/SgHostScan.h"
#include "aspi/sg/SgTransport.h"
#include "support/EnvironmentGuard.h"

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
        std::ofstream(file, std::ios::binary) << text;
    }
    void Host(int n, const std::string& procName) {
        Write(root_ / "class" / "scsi_host" / ("host" + std::to_string(n)) / "proc_name", procName + "\n");
    }
    // A device at H:C:T:L; a tape drive also gets its st node and serial number.
    fs::path Device(const std::string& address, int type, const std::string& sg, const std::string& model = "",
                    const std::string& serial = "", const std::string& st = "") {
        const fs::path device = root_ / "devices" / address;
        Write(device / "type", std::to_string(type) + "\n");
        Write(device / "vendor", "ACME    \n");
        Write(device / "model", model + "\n");
        if (!serial.empty()) {
            std::string page = {0x01, static_cast<char>(0x80), 0, static_cast<char>(serial.size() + 2), ' ', ' '};
            Write(device / "vpd_pg80", page + serial);
        }
        if (!sg.empty()) fs::create_directories(device / "scsi_generic" / sg);
        if (!st.empty()) fs::create_directories(device / "scsi_tape" / st);
        // The bus lists each device as a link to its folder, as sysfs does.
        fs::create_directories(root_ / "bus" / "scsi" / "devices");
        fs::create_directory_symlink(device, root_ / "bus" / "scsi" / "devices" / address);
        return device;
    }
    std::vector<std::unique_ptr<HostAdapter>> Scan() {
        return CreateSgHostAdapters(root_.string(), std::make_shared<NoKernel>());
    }

    fs::path root_;
};

TEST_F(SgHostScanTest, LunsOfATargetWithATapeDriveAreItsTargets) {
    // A bridge: its controller at LUN 0, the drive at LUN 1, a changer at LUN 2.
    Host(0, "iscsi_tcp");
    Device("0:0:0:0", 12, "sg0", "Controller");
    Device("0:0:0:1", 1, "sg1", "VIRTUAL-TAPE", "beaf11", "nst0");
    Device("0:0:0:2", 8, "sg2", "CHANGER");
    const auto adapters = Scan();
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->DeviceType(0), 12);
    EXPECT_EQ(adapters[0]->DeviceType(1), 1);
    EXPECT_EQ(adapters[0]->DeviceType(2), 8);
    for (int t : {3, 4, 5, 6, 7}) EXPECT_EQ(adapters[0]->DeviceType(t), -1) << t;
    EXPECT_EQ(adapters[0]->Identifier(), "SCSI 0:0:0");
    EXPECT_EQ(adapters[0]->Name(), "SCSI 0:0:0 (iscsi_tcp): ACME VIRTUAL-TAPE serial beaf11 /dev/nst0 at target 1");
    EXPECT_EQ(static_cast<SgHostAdapter&>(*adapters[0]).Problem(1).node, "/dev/sg1");
}

TEST_F(SgHostScanTest, EveryChannelAndTargetNumberIsAnAdapterInOrder) {
    // A RAID HBA's channel 2, and wide/SAS target numbers past 7.
    Host(3, "megaraid_sas");
    Device("3:2:0:0", 1, "sg5", "LTO-9", "A2");
    Device("3:0:15:0", 1, "sg4", "LTO-9", "A1");
    Device("3:0:9:0", 0, "sg3", "DISK");
    Host(1, "mptsas");
    Device("1:0:8:0", 1, "sg1", "LTO-8");
    const auto adapters = Scan();
    ASSERT_EQ(adapters.size(), 3u);
    EXPECT_EQ(adapters[0]->Identifier(), "SCSI 1:0:8");
    EXPECT_EQ(adapters[1]->Identifier(), "SCSI 3:0:15");
    EXPECT_EQ(adapters[2]->Identifier(), "SCSI 3:2:0");
    for (const auto& adapter : adapters) EXPECT_EQ(adapter->DeviceType(0), 1) << adapter->Identifier();
    // Same product, told apart by serial number.
    EXPECT_NE(adapters[1]->Name().find("LTO-9 serial A1"), std::string::npos) << adapters[1]->Name();
    EXPECT_NE(adapters[2]->Name().find("LTO-9 serial A2"), std::string::npos) << adapters[2]->Name();
}

TEST_F(SgHostScanTest, TapeDriveAboveLunSevenIsTargetZeroOfItsOwnAdapter) {
    Host(0, "qla2xxx");
    Device("0:0:4:0", 12, "sg0", "BRIDGE");
    Device("0:0:4:3", 1, "sg1", "LTO-7", "", "nst0");
    Device("0:0:4:12", 1, "sg2", "LTO-7", "", "nst1");
    const auto adapters = Scan();
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0]->DeviceType(3), 1);
    EXPECT_EQ(adapters[1]->Identifier(), "SCSI 0:0:4:12");
    EXPECT_EQ(adapters[1]->DeviceType(0), 1);
    EXPECT_EQ(adapters[1]->Name(), "SCSI 0:0:4:12 (qla2xxx): ACME LTO-7 /dev/nst1 at target 0 (its LUN 12 is above 7)");
}

TEST_F(SgHostScanTest, TargetsWithoutATapeDriveAreNoAdapter) {
    Host(0, "ahci");
    Device("0:0:0:0", 0, "sg0", "DISK");
    Device("0:0:1:0", 8, "sg1", "CHANGER");
    EXPECT_TRUE(Scan().empty());
}

TEST_F(SgHostScanTest, TapeClassCountsAndNodesInTheOlderLayoutAreFound) {
    Host(0, "mptspi");
    const fs::path device = Device("0:0:2:0", 31, "", "OLD");
    fs::create_directories(device / "scsi_generic:sg6");
    fs::create_directories(root_ / "class" / "scsi_tape" / "nst0");
    fs::create_directory_symlink(device, root_ / "class" / "scsi_tape" / "nst0" / "device");
    const auto adapters = Scan();
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->DeviceType(0), 1);
    EXPECT_EQ(static_cast<SgHostAdapter&>(*adapters[0]).Problem(0).node, "/dev/sg6");
}

TEST_F(SgHostScanTest, DriveWithoutGenericNodeShowsWhatItNeeds) {
    Host(0, "mptspi");
    Device("0:0:2:0", 1, "", "LTO-6");
    const auto adapters = Scan();
    ASSERT_EQ(adapters.size(), 1u);
    EXPECT_EQ(adapters[0]->DeviceType(0), 1);
    EXPECT_NE(adapters[0]->Name().find("no /dev/sg node: load the sg driver"), std::string::npos);
}

TEST_F(SgHostScanTest, GarbageTypeFileMeansNoDevice) {
    Host(0, "mptspi");
    Device("0:0:0:0", 1, "sg0");
    Write(root_ / "devices" / "0:0:0:0" / "type", "tape\n");
    EXPECT_TRUE(Scan().empty());
}

TEST_F(SgHostScanTest, ProgramsAdaptersScanTheTreeThatTapewrenSysfsNames) {
    Host(0, "iscsi_tcp");
    Device("0:0:0:1", 1, "sg1", "VIRTUAL-TAPE");
    EnvironmentGuard environment;
    environment.Set("TAPEWREN_SYSFS", root_.c_str());
    environment.Set("TAPEWREN_ISCSI", nullptr);
    environment.Set("TAPEWREN_VTAPE", (root_ / "tapes").c_str());
    InstallDefaultAdapters();
    ASSERT_EQ(HostAdapterList::Count(), 2);
    EXPECT_EQ(HostAdapterList::At(0)->Identifier(), "SCSI 0:0:0");
    EXPECT_EQ(HostAdapterList::At(1)->Identifier(), "VIRTUAL TAPE");
    HostAdapterList::Install({});
}

TEST(TestProgramTest, ScansNoRealSysfs) {
    const char* root = std::getenv("TAPEWREN_SYSFS");
    ASSERT_NE(root, nullptr);
    EXPECT_NE(std::string(root), "/sys");
}

TEST_F(SgHostScanTest, MissingSysfsGivesNoAdapters) {
    EXPECT_TRUE(CreateSgHostAdapters((root_ / "nothing").string(), std::make_shared<NoKernel>()).empty());
}

}  // namespace

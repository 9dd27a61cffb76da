// SG_IO through the ASPI stand-in with the kernel replaced: what the adapter
// asks of the kernel, and how every kind of kernel answer lands in the
// request record.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "aspi/Aspi.h"
#include "aspi/HostAdapterList.h"
#include "aspi/sg/LinuxSgTransport.h"
#include "aspi/sg/SgHostAdapter.h"

namespace {

class FakeSg : public SgTransport {
public:
    int Open(const char* path) override {
        opened.push_back(path);
        return openResult;
    }
    int SgIo(int fd, sg_io_hdr_t& hdr) override {
        ++calls;
        lastFd = fd;
        last = hdr;
        cdb.assign(hdr.cmdp, hdr.cmdp + hdr.cmd_len);
        return reply ? reply(hdr) : 0;
    }
    void Close(int fd) override { closed.push_back(fd); }

    int openResult = 42;
    std::function<int(sg_io_hdr_t&)> reply;
    std::vector<std::string> opened;
    std::vector<int> closed;
    int calls = 0;
    int lastFd = -1;
    sg_io_hdr_t last{};
    std::vector<unsigned char> cdb;
};

class SgHostAdapterTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_ = std::make_shared<FakeSg>();
        std::array<SgDevice, SgHostAdapter::kTargets> devices{};
        devices[4] = SgDevice{1, "/dev/sg7", "", "2:0:0:4"};
        devices[6] = SgDevice{0, "/dev/sg2", "", "2:0:0:6"};
        std::vector<std::unique_ptr<HostAdapter>> list;
        list.push_back(std::make_unique<SgHostAdapter>("SCSI 2:0:0", "SCSI 2:0:0: ACME LTO", devices, fake_));
        HostAdapterList::Install(std::move(list));
    }
    void TearDown() override { HostAdapterList::Install({}); }

    // Submits a six-byte command to target 4 and returns the final status.
    BYTE Run(std::initializer_list<BYTE> cdb, BYTE flags = 0, BYTE* data = nullptr, DWORD length = 0) {
        srb_ = SRB_ExecSCSICmd{};
        srb_.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb_.SRB_Target = 4;
        srb_.SRB_Flags = flags;
        srb_.SRB_BufPointer = data;
        srb_.SRB_BufLen = length;
        srb_.SRB_SenseLen = SENSE_LEN;
        srb_.SRB_CDBLen = 6;
        std::copy(cdb.begin(), cdb.end(), srb_.CDBByte);
        EXPECT_EQ(SendASPI32Command(&srb_), SS_PENDING);
        return SrbStatus(srb_.SRB_Status);
    }

    std::shared_ptr<FakeSg> fake_;
    SRB_ExecSCSICmd srb_{};
};

TEST_F(SgHostAdapterTest, ReadGoesFromDeviceIntoTheCallersBuffer) {
    std::vector<BYTE> buffer(64 * 512);
    fake_->reply = [](sg_io_hdr_t& hdr) {
        static_cast<BYTE*>(hdr.dxferp)[0] = 0xAB;
        return 0;
    };
    EXPECT_EQ(Run({0x08, 0x01, 0x00, 0x00, 0x40, 0x00}, SRB_DIR_IN, buffer.data(), buffer.size()), SS_COMP);
    EXPECT_EQ(fake_->last.interface_id, 'S');
    EXPECT_EQ(fake_->last.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(fake_->last.dxfer_len, buffer.size());
    EXPECT_EQ(fake_->last.dxferp, buffer.data());
    EXPECT_EQ(fake_->cdb, (std::vector<unsigned char>{0x08, 0x01, 0x00, 0x00, 0x40, 0x00}));
    EXPECT_EQ(buffer[0], 0xAB);
    EXPECT_EQ(srb_.SRB_HaStat, HASTAT_OK);
}

TEST_F(SgHostAdapterTest, WriteGoesToDevice) {
    std::vector<BYTE> buffer(1024);
    EXPECT_EQ(Run({0x0A, 0x01, 0x00, 0x00, 0x01, 0x00}, SRB_DIR_OUT, buffer.data(), buffer.size()), SS_COMP);
    EXPECT_EQ(fake_->last.dxfer_direction, SG_DXFER_TO_DEV);
    EXPECT_EQ(fake_->last.dxfer_len, 1024u);
}

TEST_F(SgHostAdapterTest, InFlagWithoutDataIsNoTransfer) {
    // TEST UNIT READY carries the in flag and no buffer.
    EXPECT_EQ(Run({0x00, 0, 0, 0, 0, 0}, SRB_DIR_IN), SS_COMP);
    EXPECT_EQ(fake_->last.dxfer_direction, SG_DXFER_NONE);
    EXPECT_EQ(fake_->last.dxfer_len, 0u);
}

TEST_F(SgHostAdapterTest, InquiryAllocationIsCutToTheBuffer) {
    BYTE buffer[32] = {};
    EXPECT_EQ(Run({0x12, 0, 0, 0, 0x60, 0}, SRB_DIR_IN, buffer, sizeof buffer), SS_COMP);
    EXPECT_EQ(fake_->cdb[4], 32);
    EXPECT_EQ(fake_->last.dxfer_len, 32u);
    EXPECT_EQ(srb_.CDBByte[4], 0x60) << "the caller's record stays as it was";
}

TEST_F(SgHostAdapterTest, StandardInquiryComesFromTheKernelsCopyWithoutOpeningTheNode) {
    char folder[] = "/tmp/tw-sg-device-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string data(40, ' ');
    data[0] = 0x01;
    data[4] = 35;
    data.replace(8, 12, "ACME    LTO9");
    std::ofstream(std::string(folder) + "/inquiry", std::ios::binary) << data;
    std::array<SgDevice, SgHostAdapter::kTargets> devices{};
    devices[4] = SgDevice{1, "/dev/sg7", folder, "2:0:0:4"};
    std::vector<std::unique_ptr<HostAdapter>> list;
    list.push_back(std::make_unique<SgHostAdapter>("SCSI 2:0:0", "SCSI 2:0:0", devices, fake_));
    HostAdapterList::Install(std::move(list));

    fake_->openResult = -EBUSY;  // held by another program: still named
    BYTE buffer[32] = {};
    EXPECT_EQ(Run({0x12, 0, 0, 0, 0x60, 0}, SRB_DIR_IN, buffer, sizeof buffer), SS_COMP);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 8, 12), "ACME    LTO9");
    EXPECT_TRUE(fake_->opened.empty());
    EXPECT_EQ(Run({0x12, 0x01, 0x80, 0, 0x60, 0}, SRB_DIR_IN, buffer, sizeof buffer), SS_ERR)
        << "a VPD page goes to the drive";
    std::filesystem::remove_all(folder);
}

TEST_F(SgHostAdapterTest, ModeSelectSendsOnlyTheDeclaredParameterList) {
    BYTE buffer[32] = {};
    EXPECT_EQ(Run({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, buffer, sizeof buffer), SS_COMP);
    EXPECT_EQ(fake_->last.dxfer_len, 12u);
}

TEST_F(SgHostAdapterTest, CheckConditionCarriesTheSenseData) {
    fake_->reply = [](sg_io_hdr_t& hdr) {
        const BYTE sense[18] = {0xF0, 0, 0x08, 0, 0, 0, 1, 10, 0, 0, 0, 0, 0x00, 0x05};
        std::memcpy(hdr.sbp, sense, sizeof sense);
        hdr.sb_len_wr = sizeof sense;
        hdr.status = 0x02;
        hdr.masked_status = 0x01;
        hdr.driver_status = 0x08;
        return 0;
    };
    BYTE buffer[1024];
    EXPECT_EQ(Run({0x08, 0x01, 0, 0, 1, 0}, SRB_DIR_IN, buffer, sizeof buffer), SS_ERR);
    EXPECT_EQ(srb_.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(srb_.SRB_HaStat, HASTAT_OK);
    EXPECT_EQ(srb_.SenseArea[0], 0xF0);
    EXPECT_EQ(srb_.SenseArea[2], 0x08);
    EXPECT_EQ(srb_.SenseArea[6], 1);
    EXPECT_EQ(srb_.SenseArea[13], 0x05);
    EXPECT_GE(fake_->last.mx_sb_len, 18);
}

TEST_F(SgHostAdapterTest, BusyIsAnErrorWithItsTargetStatus) {
    fake_->reply = [](sg_io_hdr_t& hdr) {
        hdr.status = 0x08;
        return 0;
    };
    EXPECT_EQ(Run({0x01, 0, 0, 0, 0, 0}), SS_ERR);
    EXPECT_EQ(srb_.SRB_TargStat, STATUS_BUSY);
}

struct KernelError {
    const char* name;
    unsigned short host;
    unsigned short driver;
    BYTE aspiStatus;
    BYTE haStatus;
};

class SgKernelErrorTest : public SgHostAdapterTest, public ::testing::WithParamInterface<KernelError> {};

TEST_P(SgKernelErrorTest, MapsToHostAdapterStatus) {
    const KernelError e = GetParam();
    fake_->reply = [e](sg_io_hdr_t& hdr) {
        hdr.host_status = e.host;
        hdr.driver_status = e.driver;
        return 0;
    };
    EXPECT_EQ(Run({0x11, 0x03, 0, 0, 0, 0}), e.aspiStatus);
    EXPECT_EQ(srb_.SRB_HaStat, e.haStatus);
    EXPECT_NE(srb_.SRB_TargStat, STATUS_CHKCOND);
}

INSTANTIATE_TEST_SUITE_P(HostAndDriverBytes, SgKernelErrorTest,
                         ::testing::Values(KernelError{"HostTimeOut", 0x03, 0, SS_ERR, HASTAT_TIMEOUT},
                                           KernelError{"DriverTimeOut", 0, 0x06, SS_ERR, HASTAT_TIMEOUT},
                                           KernelError{"NoConnect", 0x01, 0, SS_ERR, HASTAT_SEL_TO},
                                           KernelError{"BadTarget", 0x04, 0, SS_ERR, HASTAT_SEL_TO},
                                           KernelError{"Aborted", 0x05, 0, SS_ABORTED, HASTAT_COMMAND_TIMEOUT},
                                           KernelError{"BusReset", 0x08, 0, SS_ERR, HASTAT_BUS_RESET},
                                           KernelError{"HostErrorWinsOverSense", 0x07, 0x08, SS_ERR, HASTAT_DO_DU},
                                           KernelError{"DriverError", 0, 0x04, SS_ERR, HASTAT_PHASE_ERR}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TimeLimitCase {
    BYTE opcode;
    unsigned ms;
};

void PrintTo(const TimeLimitCase& c, std::ostream* out) { *out << "opcode " << int(c.opcode) << ", " << c.ms << " ms"; }

class SgTimeLimitTest : public SgHostAdapterTest, public ::testing::WithParamInterface<TimeLimitCase> {};

TEST_P(SgTimeLimitTest, EachKindOfCommandHasItsOwn) {
    Run({GetParam().opcode, 0, 0, 0, 0, 0});
    EXPECT_EQ(fake_->last.timeout, GetParam().ms);
}

// A minute for a command that does not move the tape, half an hour for a
// transfer, three hours for positioning and loading.
INSTANTIATE_TEST_SUITE_P(Opcodes, SgTimeLimitTest,
                         ::testing::Values(TimeLimitCase{0x00, 60000}, TimeLimitCase{0x1A, 60000},
                                           TimeLimitCase{0x15, 60000}, TimeLimitCase{0x08, 1800000},
                                           TimeLimitCase{0x0A, 1800000}, TimeLimitCase{0x10, 1800000},
                                           TimeLimitCase{0x01, 10800000}, TimeLimitCase{0x11, 10800000},
                                           TimeLimitCase{0x1B, 10800000}),
                         [](const auto& info) { return std::to_string(info.param.opcode); });

TEST_F(SgHostAdapterTest, NodeHeldByAnotherProgramIsABusyDrive) {
    fake_->openResult = -EBUSY;
    EXPECT_EQ(Run({0x00, 0, 0, 0, 0, 0}), SS_ERR);
    EXPECT_EQ(srb_.SRB_TargStat, STATUS_BUSY);
    EXPECT_EQ(fake_->calls, 0);
    auto& adapter = static_cast<SgHostAdapter&>(*HostAdapterList::At(0));
    EXPECT_EQ(adapter.Problem(4).error, EBUSY);
    EXPECT_EQ(adapter.Problem(4).node, "/dev/sg7");
}

TEST_F(SgHostAdapterTest, NodeIsOpenedOnceAndKept) {
    Run({0x00, 0, 0, 0, 0, 0});
    Run({0x00, 0, 0, 0, 0, 0});
    ASSERT_EQ(fake_->opened.size(), 1u);
    EXPECT_EQ(fake_->opened[0], "/dev/sg7");
    EXPECT_EQ(fake_->lastFd, 42);
}

TEST_F(SgHostAdapterTest, NodeThatCannotBeOpenedFailsTheCommandNotTheProgram) {
    fake_->openResult = -EACCES;
    EXPECT_EQ(Run({0x00, 0, 0, 0, 0, 0}), SS_ERR);
    EXPECT_EQ(srb_.SRB_HaStat, HASTAT_SEL_TO);
    EXPECT_EQ(fake_->calls, 0);
    fake_->openResult = 43;
    EXPECT_EQ(Run({0x00, 0, 0, 0, 0, 0}), SS_COMP) << "tried again on the next command";
}

TEST_F(SgHostAdapterTest, VanishedDeviceIsReopenedNextTime) {
    fake_->reply = [](sg_io_hdr_t&) { return -ENODEV; };
    EXPECT_EQ(Run({0x00, 0, 0, 0, 0, 0}), SS_ERR);
    EXPECT_EQ(srb_.SRB_HaStat, HASTAT_SEL_TO);
    EXPECT_EQ(fake_->closed, std::vector<int>{42});
    fake_->reply = nullptr;
    EXPECT_EQ(Run({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    EXPECT_EQ(fake_->opened.size(), 2u);
}

TEST_F(SgHostAdapterTest, TargetWithoutDeviceIsRefusedBeforeTheKernel) {
    SRB_GDEVBlock query{};
    query.SRB_Cmd = SC_GET_DEV_TYPE;
    query.SRB_Target = 6;
    EXPECT_EQ(SendASPI32Command(&query), SS_COMP);
    EXPECT_EQ(query.SRB_DeviceType, 0);
    query.SRB_Target = 5;
    EXPECT_EQ(SendASPI32Command(&query), SS_NO_DEVICE);

    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Target = 5;
    srb.SRB_CDBLen = 6;
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_DEVICE);
    EXPECT_EQ(fake_->calls, 0);
}

// A regular file stands in for the node: the advisory lock is the same.
TEST(LinuxSgTransportTest, SecondOpenOfAHeldNodeIsBusyUntilTheFirstCloses) {
    char path[] = "/tmp/tw-sg-node-XXXXXX";
    const int made = mkstemp(path);
    ASSERT_GE(made, 0);
    close(made);
    LinuxSgTransport first, second;
    const int fd = first.Open(path);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(second.Open(path), -EBUSY);
    first.Close(fd);
    const int again = second.Open(path);
    EXPECT_GE(again, 0);
    second.Close(again);
    unlink(path);
}

TEST(NoRealDrivesTest, OpeningAGenericNodeIsRefusedAndFailsTheTest) {
    static int opened = 0;
    EXPECT_NONFATAL_FAILURE(opened = LinuxSgTransport().Open("/dev/sg0"), "must never reach a real drive");
    EXPECT_EQ(opened, -EACCES);
}

}  // namespace

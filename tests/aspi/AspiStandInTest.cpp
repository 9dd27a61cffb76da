// The stand-in's contract as callers poll it: management requests complete
// inside the call, execute requests are pending until their adapter
// finishes them, and bad addresses are answered at once in the status byte.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>

#include "aspi/Aspi.h"
#include "aspi/HostAdapter.h"
#include "aspi/HostAdapterList.h"
#include "aspi/ScsiExec.h"

namespace {

class FakeAdapter : public HostAdapter {
public:
    explicit FakeAdapter(std::string id) : id_(std::move(id)) {}
    std::string Identifier() const override { return id_; }
    int DeviceType(int target) override { return target == 3 ? 1 : target == 5 ? 0 : -1; }
    void Execute(int target, ScsiExec& exec) override {
        ++executed;
        lastTarget = target;
        if (onExecute) onExecute(exec);
        else exec.FinishGood();
    }

    int executed = 0;
    int lastTarget = -1;
    std::function<void(ScsiExec&)> onExecute;

private:
    std::string id_;
};

class AspiStandIn : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<std::unique_ptr<HostAdapter>> list;
        auto first = std::make_unique<FakeAdapter>("FIRST");
        auto second = std::make_unique<FakeAdapter>("EXACTLY16CHARS!!");
        adapter0 = first.get();
        adapter1 = second.get();
        list.push_back(std::move(first));
        list.push_back(std::move(second));
        HostAdapterList::Install(std::move(list));
    }
    void TearDown() override { HostAdapterList::Install({}); }

    static SRB_ExecSCSICmd ExecRequest(BYTE adapter, BYTE target, BYTE lun = 0) {
        SRB_ExecSCSICmd srb{};
        srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb.SRB_HaId = adapter;
        srb.SRB_Target = target;
        srb.SRB_Lun = lun;
        srb.SRB_SenseLen = SENSE_LEN;
        srb.SRB_CDBLen = 6;
        return srb;
    }

    FakeAdapter* adapter0 = nullptr;
    FakeAdapter* adapter1 = nullptr;
};

TEST_F(AspiStandIn, HostAdapterInquiryCountsAdaptersAndPadsIdentifier) {
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = 0;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(srb.SRB_Status, SS_COMP);
    EXPECT_EQ(srb.HA_Count, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_Identifier), 16), "FIRST           ");

    srb.SRB_HaId = 1;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(srb.HA_Identifier), 16), "EXACTLY16CHARS!!");
}

TEST_F(AspiStandIn, HostAdapterInquiryBeyondLastAdapterIsInvalid) {
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = 2;
    EXPECT_EQ(SendASPI32Command(&srb), SS_INVALID_HA);
    EXPECT_EQ(srb.SRB_Status, SS_INVALID_HA);
}

TEST_F(AspiStandIn, NoAdaptersStillAnswersTheCountOnAdapterZero) {
    HostAdapterList::Install({});
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.HA_Count = 99;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(srb.HA_Count, 0);
}

TEST_F(AspiStandIn, GetDeviceTypeReportsPresentTargetsOnlyAtLunZero) {
    SRB_GDEVBlock srb{};
    srb.SRB_Cmd = SC_GET_DEV_TYPE;
    srb.SRB_HaId = 0;
    srb.SRB_Target = 3;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(srb.SRB_DeviceType, 1);

    srb.SRB_Target = 5;
    EXPECT_EQ(SendASPI32Command(&srb), SS_COMP);
    EXPECT_EQ(srb.SRB_DeviceType, 0);

    srb.SRB_Target = 4;
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_DEVICE);
    srb.SRB_Target = 3;
    srb.SRB_Lun = 1;
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_DEVICE);
    srb.SRB_Target = 200;
    srb.SRB_Lun = 0;
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_DEVICE);
    srb.SRB_HaId = 9;
    srb.SRB_Target = 3;
    EXPECT_EQ(SendASPI32Command(&srb), SS_INVALID_HA);
}

TEST_F(AspiStandIn, ExecOnUnknownAdapterOrTargetAnswersAtOnceInTheStatusByte) {
    auto srb = ExecRequest(7, 3);
    EXPECT_EQ(SendASPI32Command(&srb), SS_INVALID_HA);
    EXPECT_EQ(SrbStatus(srb.SRB_Status), SS_INVALID_HA);

    srb = ExecRequest(0, 4);
    EXPECT_EQ(SendASPI32Command(&srb), SS_NO_DEVICE);
    EXPECT_EQ(SrbStatus(srb.SRB_Status), SS_NO_DEVICE);
    EXPECT_EQ(adapter0->executed, 0);
}

TEST_F(AspiStandIn, ExecReturnsPendingAndCompletesThroughItsAdapter) {
    auto srb = ExecRequest(1, 3);
    EXPECT_EQ(SendASPI32Command(&srb), SS_PENDING);
    EXPECT_EQ(SrbStatus(srb.SRB_Status), SS_COMP);
    EXPECT_EQ(adapter1->executed, 1);
    EXPECT_EQ(adapter1->lastTarget, 3);
    EXPECT_EQ(adapter0->executed, 0);
}

TEST_F(AspiStandIn, ExecFinishedLaterOnAnotherThreadStaysPendingUntilThen) {
    std::thread finisher;
    std::atomic<bool> release{false};
    adapter0->onExecute = [&](ScsiExec& exec) {
        finisher = std::thread([exec, &release]() mutable {
            while (!release.load()) std::this_thread::yield();
            exec.FinishGood();
        });
    };
    auto srb = ExecRequest(0, 3);
    EXPECT_EQ(SendASPI32Command(&srb), SS_PENDING);
    EXPECT_EQ(SrbStatus(srb.SRB_Status), SS_PENDING);
    release = true;
    finisher.join();
    EXPECT_EQ(SrbStatus(srb.SRB_Status), SS_COMP);
}

TEST_F(AspiStandIn, CheckConditionCopiesSenseUpToTheRequestedLength) {
    std::uint8_t sense[18] = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0, 0, 0, 0, 0x77};
    adapter0->onExecute = [&](ScsiExec& exec) { exec.FinishCheckCondition(sense); };
    auto srb = ExecRequest(0, 3);
    std::memset(srb.SenseArea, 0xEE, sizeof srb.SenseArea);
    EXPECT_EQ(SendASPI32Command(&srb), SS_PENDING);
    EXPECT_EQ(SrbStatus(srb.SRB_Status), SS_ERR);
    EXPECT_EQ(srb.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(srb.SenseArea[2], 0x02);
    EXPECT_EQ(srb.SenseArea[12], 0x3A);
    EXPECT_EQ(srb.SenseArea[14], 0xEE) << "sense beyond SRB_SenseLen must not be written";
}

TEST_F(AspiStandIn, ExecDataBufferAndDirectionReachTheAdapter) {
    BYTE buffer[64] = {};
    std::size_t seen = 0;
    DataDirection direction = DataDirection::None;
    adapter0->onExecute = [&](ScsiExec& exec) {
        seen = exec.Data().size();
        direction = exec.Direction();
        exec.Data()[0] = 0x5A;
        exec.FinishGood();
    };
    auto srb = ExecRequest(0, 3);
    srb.SRB_Flags = SRB_DIR_IN;
    srb.SRB_BufLen = 32;
    srb.SRB_BufPointer = buffer;
    SendASPI32Command(&srb);
    EXPECT_EQ(seen, 32u);
    EXPECT_EQ(direction, DataDirection::In);
    EXPECT_EQ(buffer[0], 0x5A);
}

TEST_F(AspiStandIn, UnknownCommandCodeIsRefused) {
    SRB_Header srb{};
    srb.SRB_Cmd = 0x42;
    EXPECT_EQ(SendASPI32Command(&srb), SS_INVALID_CMD);
    EXPECT_EQ(SendASPI32Command(nullptr), SS_INVALID_CMD);
}

}  // namespace

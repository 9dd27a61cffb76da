// The iSCSI adapter against tgt: what it adds to a bare initiator (unit
// attentions of its own logins swallowed, stale data not handed out, a hung
// target timed out and the session rebuilt, MODE SENSE answered from memory,
// buffered writes and their deferred errors).

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>
#include <filesystem>
#include <vector>

#include "app/DefaultAdapters.h"
#include "aspi/Aspi.h"
#include "aspi/HostAdapterList.h"
#include "aspi/iscsi/IscsiHostAdapter.h"
#include "aspi/iscsi/IscsiHostAdapters.h"
#include "support/TgtDaemon.h"

namespace {

constexpr int kLun = 2;
constexpr int kBlock = 512;

class IscsiAdapterTgt : public ::testing::Test {
protected:
    void SetUp() override {
        TgtDaemon& daemon = TgtDaemon::Instance();
        ASSERT_TRUE(daemon.NewTape(kLun)) << daemon.Error();
        Install(60);
    }
    void TearDown() override { HostAdapterList::Install({}); }

    void Install(int timeoutSeconds, IscsiSession::Liveness liveness = {}) {
        IscsiPortalUrl url;
        ASSERT_TRUE(IscsiPortalUrl::Parse(TgtDaemon::Instance().TargetUrl(), url));
        std::vector<std::unique_ptr<HostAdapter>> adapters;
        auto adapter = std::make_unique<IscsiHostAdapter>(url, timeoutSeconds, timeoutSeconds, liveness);
        adapter_ = adapter.get();
        adapters.push_back(std::move(adapter));
        HostAdapterList::Install(std::move(adapters));
    }

    // One command straight through the stand-in; the final status.
    BYTE Send(std::initializer_list<BYTE> cdb, BYTE flags = 0, BYTE* data = nullptr, DWORD length = 0) {
        srb_ = SRB_ExecSCSICmd{};
        srb_.SRB_Cmd = SC_EXEC_SCSI_CMD;
        srb_.SRB_Target = kLun;
        srb_.SRB_Flags = flags;
        srb_.SRB_BufPointer = data;
        srb_.SRB_BufLen = length;
        srb_.SRB_SenseLen = SENSE_LEN;
        srb_.SRB_CDBLen = 6;
        std::copy(cdb.begin(), cdb.end(), srb_.CDBByte);
        SendASPI32Command(&srb_);
        return SrbStatus(srb_.SRB_Status);
    }
    BYTE SetBlockLength(int length) {
        BYTE list[12] = {0, 0, 0, 8, 0, 0, 0, 0, 0, static_cast<BYTE>(length >> 16), static_cast<BYTE>(length >> 8),
                         static_cast<BYTE>(length)};
        return Send({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, list, sizeof list);
    }
    BYTE Write(BYTE fill, int blocks) {
        std::vector<BYTE> data(static_cast<std::size_t>(blocks) * kBlock, fill);
        return Send({0x0A, 0x01, 0, 0, static_cast<BYTE>(blocks), 0}, SRB_DIR_OUT, data.data(),
                    static_cast<DWORD>(data.size()));
    }
    // MODE SENSE into mode_; the status.
    BYTE ModeSense() {
        mode_.fill(0);
        return Send({0x1A, 0, 0, 0, 12, 0}, SRB_DIR_IN, mode_.data(), static_cast<DWORD>(mode_.size()));
    }
    bool SaysWriteProtected() const { return (mode_[2] & 0x80) != 0; }
    // As the program writes: MODE SENSE first, then the WRITE; the WRITE's status.
    BYTE SenseAndWrite(BYTE fill, int blocks) {
        if (ModeSense() != SS_COMP) return SrbStatus(srb_.SRB_Status);
        return Write(fill, blocks);
    }

    IscsiHostAdapter* adapter_ = nullptr;
    SRB_ExecSCSICmd srb_{};
    std::array<BYTE, 32> mode_{};
};

TEST_F(IscsiAdapterTgt, LunsAreTargetsWithTheirInquiryTypes) {
    EXPECT_EQ(adapter_->DeviceType(0), 0x0C) << "tgt's controller LUN";
    EXPECT_EQ(adapter_->DeviceType(kLun), 1);
    EXPECT_EQ(adapter_->DeviceType(6), -1);
    EXPECT_EQ(adapter_->Identifier(), "iSCSI 127.0.0.1");
}

TEST_F(IscsiAdapterTgt, FirstCommandAfterLoginMeetsNoUnitAttention) {
    EXPECT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    EXPECT_EQ(srb_.SRB_TargStat, STATUS_GOOD);
}

TEST_F(IscsiAdapterTgt, ModeSelectListShorterThanTheBufferIsAccepted) {
    BYTE buffer[32] = {0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0x04, 0x00};
    EXPECT_EQ(Send({0x15, 0x10, 0, 0, 12, 0}, SRB_DIR_OUT, buffer, sizeof buffer), SS_COMP);
    BYTE sense[32] = {};
    EXPECT_EQ(Send({0x1A, 0, 0, 0, 12, 0}, SRB_DIR_IN, sense, sizeof sense), SS_COMP);
    EXPECT_EQ(sense[10], 0x04);
}

TEST_F(IscsiAdapterTgt, InquiryAllocationBeyondTheBufferIsCut) {
    BYTE buffer[40];
    std::fill(std::begin(buffer), std::end(buffer), 0xEE);
    EXPECT_EQ(Send({0x12, 0, 0, 0, 0x60, 0}, SRB_DIR_IN, buffer, 32), SS_COMP);
    EXPECT_EQ(buffer[0] & 0x1f, 1);
    EXPECT_EQ(buffer[32], 0xEE) << "nothing written past the buffer";
}

TEST_F(IscsiAdapterTgt, BytesBeyondAFilemarkAreNotStaleData) {
    ASSERT_EQ(SetBlockLength(kBlock), SS_COMP);
    ASSERT_EQ(Write(0xA1, 1), SS_COMP);
    ASSERT_EQ(Send({0x10, 0, 0, 0, 1, 0}), SS_COMP);
    ASSERT_EQ(Write(0xB2, 3), SS_COMP);
    ASSERT_EQ(Send({0x10, 0, 0, 0, 1, 0}), SS_COMP);
    ASSERT_EQ(Send({0x01, 0, 0, 0, 0, 0}), SS_COMP);
    // Leave the second record's bytes in the target's buffer.
    ASSERT_EQ(Send({0x11, 0x01, 0, 0, 1, 0}), SS_COMP);
    std::vector<BYTE> data(3 * kBlock);
    ASSERT_EQ(Send({0x08, 0x01, 0, 0, 3, 0}, SRB_DIR_IN, data.data(), static_cast<DWORD>(data.size())), SS_COMP);
    ASSERT_EQ(Send({0x01, 0, 0, 0, 0, 0}), SS_COMP);

    std::fill(data.begin(), data.end(), 0xEE);
    EXPECT_EQ(Send({0x08, 0x01, 0, 0, 3, 0}, SRB_DIR_IN, data.data(), static_cast<DWORD>(data.size())), SS_ERR);
    EXPECT_EQ(srb_.SenseArea[2] & 0x80, 0x80) << "filemark";
    EXPECT_TRUE(std::all_of(data.begin(), data.begin() + kBlock, [](BYTE b) { return b == 0xA1; }));
    EXPECT_TRUE(std::all_of(data.begin() + kBlock, data.end(), [](BYTE b) { return b == 0; }))
        << "the part the drive did not read is cleared, not left with another record's bytes";
}

// tgt reports nothing when its tape is made read-only, so until the adapter
// forgets the answer it remembered, MODE SENSE still says writable.
enum class Between { TestUnitReady, ModeSelect, LoadUnload, CheckCondition };

class ModeSenseMemoryTgt : public IscsiAdapterTgt, public ::testing::WithParamInterface<Between> {};

TEST_P(ModeSenseMemoryTgt, AnswerIsForgottenWhenTheDriveMayHaveChanged) {
    ASSERT_EQ(SetBlockLength(kBlock), SS_COMP);
    ASSERT_EQ(ModeSense(), SS_COMP);
    ASSERT_FALSE(SaysWriteProtected());
    ASSERT_TRUE(TgtDaemon::Instance().SetReadOnly(kLun, true));
    BYTE vpd[36];
    switch (GetParam()) {
    case Between::TestUnitReady:
        ASSERT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
        break;
    case Between::ModeSelect:
        ASSERT_EQ(SetBlockLength(kBlock), SS_COMP);
        break;
    case Between::LoadUnload:
        ASSERT_EQ(Send({0x1B, 0, 0, 0, 1, 0}), SS_COMP);
        break;
    case Between::CheckCondition:
        // A vital product data page tgt does not have.
        ASSERT_EQ(Send({0x12, 0x01, 0xEE, 0, sizeof vpd, 0}, SRB_DIR_IN, vpd, sizeof vpd), SS_ERR);
        break;
    }
    ASSERT_EQ(ModeSense(), SS_COMP);
    EXPECT_EQ(SaysWriteProtected(), GetParam() != Between::TestUnitReady);
}

INSTANTIATE_TEST_SUITE_P(Commands, ModeSenseMemoryTgt,
                         ::testing::Values(Between::TestUnitReady, Between::ModeSelect, Between::LoadUnload,
                                           Between::CheckCondition));

TEST_F(IscsiAdapterTgt, FailedBufferedWriteIsADeferredErrorAndNoLaterWriteReachesTheTape) {
    ASSERT_EQ(SetBlockLength(kBlock), SS_COMP);
    ASSERT_EQ(SenseAndWrite(0xA1, 2), SS_COMP);
    ASSERT_EQ(SenseAndWrite(0xA2, 2), SS_COMP);
    // Waits for the buffered write before the tape turns read-only.
    ASSERT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    ASSERT_TRUE(TgtDaemon::Instance().SetReadOnly(kLun, true));
    // Answered from the buffer; tgt refuses it behind the adapter's back.
    ASSERT_EQ(SenseAndWrite(0xA3, 2), SS_COMP);

    EXPECT_EQ(Send({0x10, 0, 0, 0, 1, 0}), SS_ERR) << "the filemark is where the failure must show";
    EXPECT_EQ(srb_.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_EQ(srb_.SenseArea[0] & 0x7F, 0x71) << "deferred error";
    EXPECT_EQ(srb_.SenseArea[2] & 0x0F, 7) << "data protect";

    // The drive would take this one now; it must not land behind the gap.
    ASSERT_TRUE(TgtDaemon::Instance().SetReadOnly(kLun, false));
    EXPECT_EQ(SenseAndWrite(0xA4, 2), SS_ERR);
    EXPECT_EQ(srb_.SenseArea[0] & 0x7F, 0x71);

    ASSERT_EQ(Send({0x01, 0, 0, 0, 0, 0}), SS_COMP);
    std::vector<BYTE> data(4 * kBlock);
    ASSERT_EQ(Send({0x08, 0x01, 0, 0, 4, 0}, SRB_DIR_IN, data.data(), static_cast<DWORD>(data.size())), SS_COMP);
    EXPECT_TRUE(std::all_of(data.begin(), data.begin() + 2 * kBlock, [](BYTE b) { return b == 0xA1; }));
    EXPECT_TRUE(std::all_of(data.begin() + 2 * kBlock, data.end(), [](BYTE b) { return b == 0xA2; }));
    EXPECT_EQ(Send({0x08, 0x01, 0, 0, 1, 0}, SRB_DIR_IN, data.data(), kBlock), SS_ERR) << "nothing after them";
}

// Resumes tgtd however the test ends.
class Resume {
public:
    explicit Resume(pid_t pid) : pid_(pid) {}
    ~Resume() { kill(pid_, SIGCONT); }

private:
    pid_t pid_;
};

TEST_F(IscsiAdapterTgt, HungTargetTimesOutAndTheNextCommandLogsInAgain) {
    Install(2);
    ASSERT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    {
        const pid_t pid = TgtDaemon::Instance().Pid();
        ASSERT_GT(pid, 0);
        Resume resume(pid);
        ASSERT_EQ(kill(pid, SIGSTOP), 0);
        EXPECT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_ERR);
        EXPECT_EQ(srb_.SRB_HaStat, HASTAT_TIMEOUT);
        // While no session can be had the drive is not there, so the drive
        // status reads "not installed" rather than ready.
        EXPECT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_NO_DEVICE);
    }
    // A portal that failed is tried again only after a pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    EXPECT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    EXPECT_EQ(adapter_->DeviceType(kLun), 1);
}

TEST_F(IscsiAdapterTgt, HungTargetIsNoticedByUnansweredPingsBeforeTheCommandTimeOut) {
    // A command time-out of ten minutes; the pings give up after three seconds.
    Install(600, IscsiSession::Liveness{1, 2});
    ASSERT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    const pid_t pid = TgtDaemon::Instance().Pid();
    ASSERT_GT(pid, 0);
    Resume resume(pid);
    ASSERT_EQ(kill(pid, SIGSTOP), 0);
    EXPECT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_ERR);
    EXPECT_EQ(srb_.SRB_HaStat, HASTAT_TIMEOUT);
}

// A READ built on a MODE SENSE answered from memory, when the session breaks
// under it (param: the break is met by a TEST UNIT READY in between rather
// than by the READ itself). Asked of the drive, the MODE SENSE would have
// met the break; sent on a new session, the READ would rely on mode data the
// drive may no longer have.
class RememberedModeSenseTgt : public IscsiAdapterTgt, public ::testing::WithParamInterface<bool> {};

TEST_P(RememberedModeSenseTgt, ReadIsNotSentPastASessionBreakUntilModeSenseAsksTheDrive) {
    Install(2);
    ASSERT_EQ(SetBlockLength(kBlock), SS_COMP);
    ASSERT_EQ(ModeSense(), SS_COMP);
    ASSERT_EQ(ModeSense(), SS_COMP) << "from memory";
    std::vector<BYTE> data(kBlock);
    auto sendRead = [&] { return Send({0x08, 0x01, 0, 0, 1, 0}, SRB_DIR_IN, data.data(), kBlock); };
    {
        const pid_t pid = TgtDaemon::Instance().Pid();
        ASSERT_GT(pid, 0);
        Resume resume(pid);
        ASSERT_EQ(kill(pid, SIGSTOP), 0);
        EXPECT_EQ(GetParam() ? Send({0x00, 0, 0, 0, 0, 0}) : sendRead(), SS_ERR);
        EXPECT_EQ(srb_.SRB_HaStat, HASTAT_TIMEOUT);
    }
    EXPECT_EQ(sendRead(), SS_ERR);
    EXPECT_NE(srb_.SRB_HaStat, HASTAT_OK) << "refused, not sent";
    ASSERT_EQ(ModeSense(), SS_COMP);
    sendRead();
    EXPECT_EQ(srb_.SRB_HaStat, HASTAT_OK) << "sent to the drive again";
}

INSTANTIATE_TEST_SUITE_P(BreakMetBy, RememberedModeSenseTgt, ::testing::Bool());

TEST_F(IscsiAdapterTgt, TargetThatStallsButAnswersKeepsItsSession) {
    Install(600, IscsiSession::Liveness{1, 3});
    ASSERT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
    const pid_t pid = TgtDaemon::Instance().Pid();
    ASSERT_GT(pid, 0);
    Resume resume(pid);
    ASSERT_EQ(kill(pid, SIGSTOP), 0);
    // Stalled past the first ping, back before the ping is given up.
    std::thread wake([pid] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1800));
        kill(pid, SIGCONT);
    });
    EXPECT_EQ(Send({0x01, 0, 0, 0, 0, 0}), SS_COMP);
    wake.join();
    // Idle longer than the ping window, then on with the same session.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    EXPECT_EQ(Send({0x00, 0, 0, 0, 0, 0}), SS_COMP);
}

TEST_F(IscsiAdapterTgt, EnvironmentListMakesOneAdapterPerUrl) {
    const std::string list = TgtDaemon::Instance().TargetUrl() + ", " + TgtDaemon::Instance().TargetUrl();
    auto adapters = CreateIscsiHostAdapters(list.c_str(), "30");
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[1]->DeviceType(kLun), 1);
}

TEST_F(IscsiAdapterTgt, DefaultListPutsIscsiBeforeTheVirtualDrive) {
    char folder[] = "/tmp/tw-default-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("TAPEWREN_VTAPE", folder, 1);
    setenv("TAPEWREN_ISCSI", TgtDaemon::Instance().TargetUrl().c_str(), 1);
    InstallDefaultAdapters();
    unsetenv("TAPEWREN_ISCSI");
    const int count = HostAdapterList::Count();
    ASSERT_GE(count, 2);
    EXPECT_EQ(HostAdapterList::At(count - 1)->Identifier(), "VIRTUAL TAPE");
    EXPECT_EQ(HostAdapterList::At(count - 2)->Identifier(), "iSCSI 127.0.0.1");
    EXPECT_EQ(HostAdapterList::At(count - 2)->DeviceType(kLun), 1);
    HostAdapterList::Install({});
    std::filesystem::remove_all(folder);
}

}  // namespace

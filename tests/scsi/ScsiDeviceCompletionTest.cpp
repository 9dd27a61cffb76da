// Completion is found only by polling the status byte; a status query leaves
// its request in flight and the record must stay untouched until it is done.

#include <string>
#include <vector>

#include "ScsiFixture.h"
#include "scsi/ScsiDevice.h"

namespace {

constexpr BYTE kTape = 4;

class Completion : public ScsiFixture {
protected:
    void SetUp() override {
        ScsiFixture::SetUp();
        InstallTapeAdapter();
    }
};

TEST_F(Completion, PollsEveryMillisecondUntilTheStatusTurns) {
    adapter().Script(kTape, 0x01, Reply::Good().Deferred(5));
    ScsiDevice device;
    EXPECT_EQ(device.Rewind(0, kTape, 0), 0);
    EXPECT_EQ(Pauses(1), 5);
    EXPECT_EQ(sleeps.size(), 5u);
}

TEST_F(Completion, LateErrorIsSeenAndRetried) {
    adapter().Script(kTape, 0x1B, Reply::Check(2, 0x04, 0x01).Deferred(3));
    adapter().Script(kTape, 0x1B, Reply::Good().Deferred(2));
    ScsiDevice device;
    EXPECT_EQ(device.Eject(0, kTape, 0), 0);
    EXPECT_EQ(sleeps, (std::vector<unsigned>{1, 1, 1, 500, 1, 1}));
}

TEST_F(Completion, CompletionFromAnotherThreadIsWaitedFor) {
    Reply late = Reply::Check(3);
    late.finishFromThreadAfterMs = 20;
    adapter().Script(kTape, 0x11, late);
    ScsiDevice device;
    EXPECT_EQ(device.SpaceToEndOfData(0, kTape, 0), SS_ERR);
    EXPECT_GT(Pauses(1), 0);
    adapter().JoinThreads();
}

TEST_F(Completion, TestUnitReadyReturnsTheSubmissionValueAtOnce) {
    adapter().Script(kTape, 0x00, Reply::Good().Deferred(3));
    ScsiDevice device;
    EXPECT_EQ(device.TestUnitReady(0, kTape, 0), SS_PENDING);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(device.TestUnitReady(0, 6, 0), SS_NO_DEVICE);
    EXPECT_EQ(device.TestUnitReady(3, kTape, 0), SS_INVALID_HA);
}

TEST_F(Completion, NextCommandWaitsUntilTheStatusQueryHasCompleted) {
    adapter().Script(kTape, 0x00, Reply::Good().Deferred(3));
    ScsiDevice device;
    ASSERT_EQ(device.TestUnitReady(0, kTape, 0), 0);
    ASSERT_EQ(device.Rewind(0, kTape, 0), 0);
    // When the adapter finished the status query, the record still held it.
    EXPECT_EQ(adapter().cdbAtDeferredFinish, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Opcodes(), (std::vector<int>{0x00, 0x01}));
    EXPECT_EQ(Pauses(1), 3);
}

TEST_F(Completion, DestroyingTheDeviceWaitsForTheStatusQuery) {
    adapter().Script(kTape, 0x00, Reply::Good().Deferred(2));
    {
        ScsiDevice device;
        ASSERT_EQ(device.TestUnitReady(0, kTape, 0), 0);
    }
    EXPECT_EQ(adapter().cdbAtDeferredFinish.size(), 6u);
    EXPECT_EQ(Pauses(1), 2);
}

struct NotReadyCase {
    const char* name;
    Reply reply;
    bool notReady;
};

class StatusQueryOutcome : public Completion, public ::testing::WithParamInterface<NotReadyCase> {};

TEST_P(StatusQueryOutcome, NotReadyIsKnownOnlyFromTheSenseKey) {
    adapter().Script(kTape, 0x00, GetParam().reply);
    ScsiDevice device;
    EXPECT_EQ(device.TestUnitReady(0, kTape, 0), SS_PENDING);
    EXPECT_EQ(device.LastTestUnitReadyNotReady(), GetParam().notReady);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, StatusQueryOutcome,
    ::testing::Values(NotReadyCase{"Good", Reply::Good(), false},
                      NotReadyCase{"NoCartridge", Reply::Check(2, 0x3A), true},
                      NotReadyCase{"NoCartridgeLate", Reply::Check(2, 0x3A).Deferred(4), true},
                      NotReadyCase{"NotReadyWithFlagBits", Reply::Check(0x22, 0x04, 0x01), true},
                      NotReadyCase{"UnitAttention", Reply::Check(6, 0x28), false},
                      NotReadyCase{"TransportError", Reply::Transport(SS_ERR), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Completion, NotReadyOfAnEarlierQueryIsForgottenByTheNext) {
    adapter().Script(kTape, 0x00, Reply::Check(2, 0x3A));
    ScsiDevice device;
    device.TestUnitReady(0, kTape, 0);
    ASSERT_TRUE(device.LastTestUnitReadyNotReady());
    device.TestUnitReady(0, kTape, 0);
    EXPECT_FALSE(device.LastTestUnitReadyNotReady());
    EXPECT_EQ(device.TestUnitReady(0, 6, 0), SS_NO_DEVICE);
    EXPECT_FALSE(device.LastTestUnitReadyNotReady());
}

}  // namespace

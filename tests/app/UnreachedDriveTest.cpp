// Why a command never reached a drive, in words: from what the SCSI generic
// adapter knows of the node and the kernel's device state.

#include <gtest/gtest.h>

#include <cerrno>

#include "app/UnreachedDrive.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/Srb.h"

namespace {

struct UnreachedCase {
    const char* name;
    BYTE opcode;
    BYTE hostStatus;
    BYTE targetStatus;
    int error;
    const char* state;
    std::vector<std::string> holders;
    const char* said;  // empty: nothing to say
};

class UnreachedDriveTest : public testing::TestWithParam<UnreachedCase> {};

TEST_P(UnreachedDriveTest, SaysWhyAndWhatToDo) {
    const UnreachedCase& c = GetParam();
    CommandFailure failure;
    failure.present = true;
    failure.status = SS_ERR;
    failure.opcode = c.opcode;
    failure.hostStatus = c.hostStatus;
    failure.targetStatus = c.targetStatus;
    CartridgeFacts facts;
    facts.node = "/dev/sg1";
    facts.address = "0:0:0:1";
    facts.error = c.error;
    facts.state = c.state;
    facts.holders = c.holders;
    const std::string said = UnreachedDriveSentence(failure, facts);
    if (*c.said == '\0')
        EXPECT_EQ(said, "");
    else
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreachedDriveTest,
    testing::Values(
        UnreachedCase{"HeldByAnotherTapewren", ScsiOp::Rewind, HASTAT_OK, STATUS_BUSY, EBUSY, "running",
                      {"4242 (tapewren-cli)"}, "The drive is busy: /dev/sg1 is held by process 4242 (tapewren-cli)."},
        UnreachedCase{"HeldBySomeoneUnseen", ScsiOp::Rewind, HASTAT_OK, STATUS_BUSY, EBUSY, "running", {},
                      "another program has /dev/sg1 open"},
        UnreachedCase{"NoAccess", ScsiOp::ModeSense6, HASTAT_SEL_TO, 0, EACCES, "running", {},
                      "No access to the drive's node /dev/sg1: permission denied"},
        UnreachedCase{"TransportOffline", ScsiOp::TestUnitReady, HASTAT_SEL_TO, 0, 0, "transport-offline", {},
                      "cannot be reached: the kernel reports it as transport-offline"},
        UnreachedCase{"Gone", ScsiOp::TestUnitReady, HASTAT_SEL_TO, 0, ENXIO, "", {},
                      "cannot be reached: the kernel no longer has it"},
        UnreachedCase{"RewindTimedOut", ScsiOp::Rewind, HASTAT_TIMEOUT, 0, 0, "running", {},
                      "did not finish the REWIND within 3 hours, so the command was given up"},
        UnreachedCase{"TestUnitReadyTimedOut", ScsiOp::TestUnitReady, HASTAT_TIMEOUT, 0, 0, "running", {},
                      "did not finish the TEST UNIT READY within 1 minute"},
        UnreachedCase{"WriteTimedOut", ScsiOp::Write6, HASTAT_TIMEOUT, 0, 0, "running", {},
                      "did not finish the WRITE within 30 minutes"},
        UnreachedCase{"DriveAnsweredItself", ScsiOp::Read6, HASTAT_OK, STATUS_CHKCOND, 0, "running", {}, ""}),
    [](const testing::TestParamInfo<UnreachedCase>& info) { return std::string(info.param.name); });

TEST(UnreachedDriveOtherTest, OtherDrivesTimeOutWithoutALimitAndAreOtherwiseLeftAlone) {
    CommandFailure failure;
    failure.present = true;
    failure.status = SS_ERR;
    failure.opcode = ScsiOp::Space;
    failure.hostStatus = HASTAT_COMMAND_TIMEOUT;
    const std::string said = UnreachedDriveSentence(failure, CartridgeFacts{});
    EXPECT_NE(said.find("did not finish the SPACE, so"), std::string::npos) << said;
    failure.hostStatus = HASTAT_SEL_TO;
    EXPECT_EQ(UnreachedDriveSentence(failure, CartridgeFacts{}), "");
}

}  // namespace

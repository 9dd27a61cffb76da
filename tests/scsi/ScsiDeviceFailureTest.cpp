// How failures come back: the one retry, the device type guard, the status
// byte of space to end of data and the diagnostic lines on standard output.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ScsiFixture.h"
#include "scsi/ScsiDevice.h"

namespace {

constexpr BYTE kTape = 4;
constexpr BYTE kDisk = 0;
constexpr BYTE kEmpty = 6;

struct TapeCommand {
    const char* name;
    std::uint8_t opcode;
    std::function<int(ScsiDevice&, BYTE target)> run;
    bool retries;
    const char* diagnostic;  // printf format of the failure line
};

BYTE gBuffer[131072];

const TapeCommand kTapeCommands[] = {
    {"Rewind", 0x01, [](ScsiDevice& d, BYTE t) { return d.Rewind(0, t, 0); }, true, "Rewind-Fehler: %i\n"},
    {"Read", 0x08, [](ScsiDevice& d, BYTE t) { return d.Read(gBuffer, 64, 0, t, 0); }, true, "Read-Fehler: %i\n"},
    {"Write", 0x0A, [](ScsiDevice& d, BYTE t) { return d.Write(gBuffer, 10, 0, t, 0); }, true, "Write error: %i\n"},
    {"Eject", 0x1B, [](ScsiDevice& d, BYTE t) { return d.Eject(0, t, 0); }, true, "Eject-Fehler: %i\n"},
    {"WriteFilemark", 0x10, [](ScsiDevice& d, BYTE t) { return d.WriteFilemark(0, t, 0); }, false,
     "WriteFilemark error: %i\n"},
    {"SpaceFilemarks", 0x11, [](ScsiDevice& d, BYTE t) { return d.SpaceFilemarks(3, 0, t, 0); }, false,
     "SpaceFilemarks-Fehler: %i\n"},
};

std::string Line(const char* format, int status) {
    char text[64];
    std::snprintf(text, sizeof text, format, status);
    return text;
}

class TapeCommandFailure : public ScsiFixture, public ::testing::WithParamInterface<TapeCommand> {
protected:
    void SetUp() override {
        ScsiFixture::SetUp();
        InstallTapeAdapter();
    }

    int RunCapturing(BYTE target, std::string& out) {
        ::testing::internal::CaptureStdout();
        const int result = GetParam().run(device, target);
        out = ::testing::internal::GetCapturedStdout();
        return result;
    }

    int Submissions(std::uint8_t opcode) {
        int n = 0;
        for (const auto& c : adapter().commands) n += c.cdb[0] == opcode;
        return n;
    }

    ScsiDevice device;
};

TEST_P(TapeCommandFailure, ErrorThenSuccessIsRetriedOnlyByTheRetryingCommands) {
    const TapeCommand& c = GetParam();
    adapter().Script(kTape, c.opcode, Reply::Transport(SS_ERR));  // never reached the drive, then GOOD
    std::string out;
    const int result = RunCapturing(kTape, out);

    if (c.retries) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(Pauses(500), 1);
        ASSERT_EQ(Submissions(c.opcode), 2);
        // The very same request goes out again.
        const auto& cmds = adapter().commands;
        EXPECT_EQ(cmds[cmds.size() - 1].cdb, cmds[cmds.size() - 2].cdb);
        EXPECT_EQ(cmds[cmds.size() - 1].dataLength, cmds[cmds.size() - 2].dataLength);
        EXPECT_EQ(out, "");
    } else {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(Pauses(500), 0);
        EXPECT_EQ(Submissions(c.opcode), 1);
        EXPECT_EQ(out, Line(c.diagnostic, SS_ERR));
    }
}

// A transfer the drive answered with sense data is never sent again: after
// a filemark, end of data or medium or a damaged block the tape has moved
// (the same READ would return the next record's blocks as this one's, the
// same WRITE store its blocks twice); after a unit attention or NOT READY
// the tape is back at its beginning and the block length lost. A recovered
// error, a cleaning request and a write's early warning completed the
// command: it succeeds.
struct MovedTape {
    const char* name;
    Reply reply;
    bool readSucceeds = false;
    bool writeSucceeds = false;
};

class TransferThatMovedTheTape : public ScsiFixture, public ::testing::WithParamInterface<MovedTape> {
protected:
    void SetUp() override {
        ScsiFixture::SetUp();
        InstallTapeAdapter();
    }
    ScsiDevice device;
};

TEST_P(TransferThatMovedTheTape, IsNotSentAgain) {
    for (const std::uint8_t opcode : {std::uint8_t{0x08}, std::uint8_t{0x0A}}) {
        adapter().commands.clear();
        adapter().Script(kTape, opcode, GetParam().reply);
        ::testing::internal::CaptureStdout();
        const int result = opcode == 0x08 ? device.Read(gBuffer, 64, 0, kTape, 0) : device.Write(gBuffer, 64, 0, kTape, 0);
        const std::string out = ::testing::internal::GetCapturedStdout();
        const bool succeeds = opcode == 0x08 ? GetParam().readSucceeds : GetParam().writeSucceeds;
        EXPECT_EQ(result, succeeds ? 0 : -1) << "opcode " << int(opcode);
        int sent = 0;
        for (const auto& c : adapter().commands) sent += c.cdb[0] == opcode;
        EXPECT_EQ(sent, 1) << "opcode " << int(opcode);
        EXPECT_EQ(out, succeeds ? "" : opcode == 0x08 ? "Read-Fehler: 4\n" : "Write error: 4\n");
    }
    EXPECT_EQ(Pauses(500), 0);
}

Reply WithFlags(Reply r, std::uint8_t flags) {
    r.sense[2] |= flags;
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    SenseThatShowsMovement, TransferThatMovedTheTape,
    ::testing::Values(MovedTape{"Filemark", WithFlags(Reply::Check(0), 0x80)},
                      MovedTape{"EarlyWarning", WithFlags(Reply::Check(0, 0, 2), 0x40), false, true},
                      MovedTape{"WrongLength", WithFlags(Reply::Check(0), 0x20)},
                      MovedTape{"BlankCheck", Reply::Check(8, 0, 5)},
                      MovedTape{"VolumeOverflow", WithFlags(Reply::Check(0x0D, 0, 2), 0x40)},
                      MovedTape{"MediumError", Reply::Check(3, 0x11)},
                      MovedTape{"NotReadyWithFilemark", WithFlags(Reply::Check(2, 4, 1), 0x80)},
                      MovedTape{"NotReady", Reply::Check(2, 4, 1)},
                      MovedTape{"ResetSeen", Reply::Check(6, 0x29)},
                      MovedTape{"MediumChanged", Reply::Check(6, 0x28)},
                      MovedTape{"RecoveredError", Reply::Check(1, 0x17, 1), true, true},
                      MovedTape{"CleaningRequested", Reply::Check(0, 0, 0x17), true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(TapeCommandFailure, FailureReportsTheLastStatusOnStdout) {
    const TapeCommand& c = GetParam();
    adapter().Script(kTape, c.opcode, Reply::Transport(SS_ERR));
    adapter().Script(kTape, c.opcode, Reply::Transport(SS_ABORTED));
    std::string out;
    EXPECT_EQ(RunCapturing(kTape, out), -1);
    EXPECT_EQ(out, Line(c.diagnostic, c.retries ? SS_ABORTED : SS_ERR));
}

TEST_P(TapeCommandFailure, DiskTargetGetsNoTapeCommandAndNoLine) {
    const TapeCommand& c = GetParam();
    std::string out;
    EXPECT_EQ(RunCapturing(kDisk, out), -1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(Submissions(c.opcode), 0);
    // Only the block length query of a transfer may have gone out.
    for (const auto& cmd : adapter().commands) EXPECT_EQ(cmd.cdb[0], 0x1A);
}

TEST_P(TapeCommandFailure, EmptyTargetGetsNothing) {
    std::string out;
    EXPECT_EQ(RunCapturing(kEmpty, out), -1);
    EXPECT_TRUE(adapter().commands.empty());
}

TEST_P(TapeCommandFailure, GoodCommandWritesNoLineAndTakesNoPause) {
    std::string out;
    EXPECT_EQ(RunCapturing(kTape, out), 0);
    EXPECT_EQ(out, "");
    EXPECT_TRUE(sleeps.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryTapeCommand, TapeCommandFailure, ::testing::ValuesIn(kTapeCommands),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- transfers that need the block length first ---------------------------

class TransferNeedsModeSense : public TapeCommandFailure {};

TEST_P(TransferNeedsModeSense, FailedModeSenseStopsBeforeTheCommand) {
    const TapeCommand& c = GetParam();
    adapter().Script(kTape, 0x1A, Reply::Check(2, 0x3A));
    std::string out;
    EXPECT_EQ(RunCapturing(kTape, out), -1);
    EXPECT_EQ(out, "Error: no mode sense!");
    EXPECT_EQ(Submissions(c.opcode), 0);
}

INSTANTIATE_TEST_SUITE_P(Transfers, TransferNeedsModeSense,
                         ::testing::Values(kTapeCommands[1], kTapeCommands[2], kTapeCommands[4]),
                         [](const auto& info) { return std::string(info.param.name); });

class DataTransfer : public TapeCommandFailure {};

TEST_P(DataTransfer, BlocksLongerThanTheBuffersAreMadeForAreRefused) {
    const TapeCommand& c = GetParam();
    adapter().Model(kTape).blockLength = 4096;
    std::string out;
    EXPECT_EQ(RunCapturing(kTape, out), -1);
    EXPECT_EQ(Submissions(c.opcode), 0);
}

INSTANTIATE_TEST_SUITE_P(ReadAndWrite, DataTransfer, ::testing::Values(kTapeCommands[1], kTapeCommands[2]),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- single cases ---------------------------------------------------------

class ScsiDeviceEdges : public ScsiFixture {
protected:
    void SetUp() override {
        ScsiFixture::SetUp();
        InstallTapeAdapter();
    }
    ScsiDevice device;
};

TEST_F(ScsiDeviceEdges, SpaceToEndOfDataHandsBackTheStatusByte) {
    EXPECT_EQ(device.SpaceToEndOfData(0, kTape, 0), SS_COMP);
    adapter().Script(kTape, 0x11, Reply::Check(8, 0, 5));
    EXPECT_EQ(device.SpaceToEndOfData(0, kTape, 0), SS_ERR);
    adapter().Script(kTape, 0x11, Reply::Transport(SS_ABORTED));
    EXPECT_EQ(device.SpaceToEndOfData(0, kTape, 0), SS_ABORTED);
    EXPECT_EQ(Pauses(500), 0);
}

TEST_F(ScsiDeviceEdges, SpaceToEndOfDataOnDiskIsRefusedWithoutCommand) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(device.SpaceToEndOfData(0, kDisk, 0), -1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(adapter().commands.empty());
}

TEST_F(ScsiDeviceEdges, SpaceOverNoFilemarksSendsNothing) {
    EXPECT_EQ(device.SpaceFilemarks(0, 0, kTape, 0), 0);
    EXPECT_TRUE(adapter().commands.empty());
    EXPECT_EQ(device.SpaceFilemarks(0, 0, kDisk, 0), -1);
}

TEST_F(ScsiDeviceEdges, NegativeOrOversizedCountsAreRefusedUnsent) {
    EXPECT_EQ(device.SpaceFilemarks(-1, 0, kTape, 0), -1);
    EXPECT_EQ(device.SpaceFilemarks(0x1000000, 0, kTape, 0), -1);
    EXPECT_EQ(device.Read(gBuffer, -1, 0, kTape, 0), -1);
    EXPECT_EQ(device.Write(gBuffer, 0x1000000, 0, kTape, 0), -1);
    for (const auto& cmd : adapter().commands) EXPECT_EQ(cmd.cdb[0], 0x1A);
}

TEST_F(ScsiDeviceEdges, RetryFailsWhenBothAttemptsFail) {
    adapter().Script(kTape, 0x01, Reply::Check(4));
    adapter().Script(kTape, 0x01, Reply::Check(4));
    adapter().Script(kTape, 0x01, Reply::Check(4));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(device.Rewind(0, kTape, 0), -1);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(Opcodes(), (std::vector<int>{0x01, 0x01}));
    EXPECT_EQ(Pauses(500), 1);
}

// ---- management requests --------------------------------------------------

class ManagementRequest : public ScsiFixture {
protected:
    ScsiDevice device;
};

TEST_F(ManagementRequest, AdapterCountCountsEveryAdapter) {
    InstallAdapters({"A", "B", "C"});
    EXPECT_EQ(device.GetAdapterCount(), 3);
    InstallAdapters({});
    EXPECT_EQ(device.GetAdapterCount(), 0);
}

TEST_F(ManagementRequest, AdapterBeyondTheLastFails) {
    InstallAdapters({"ONLY"});
    char text[20] = "untouched";
    EXPECT_EQ(device.GetAdapterIdentifier(text, 1), -1);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(device.GetAdapterIdentifier(text, 300), -1);
    EXPECT_EQ(device.GetAdapterIdentifier(text, -1), -1);
    EXPECT_EQ(device.GetDeviceType(1, 0, 0), -1);
}

TEST_F(ManagementRequest, SixteenCharacterIdentifierIsTerminated) {
    InstallAdapters({"ABCDEFGHIJKLMNOP", "ATAPI"});
    char text[20];
    std::memset(text, '#', sizeof text);
    ASSERT_EQ(device.GetAdapterIdentifier(text, 0), 0);
    EXPECT_STREQ(text, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(text[17], '#');
    ASSERT_EQ(device.GetAdapterIdentifier(text, 1), 0);
    EXPECT_STREQ(text, "ATAPI           ");
}

TEST_F(ManagementRequest, DeviceTypeOfPresentAndMissingTargets) {
    InstallAdapters({"HBA"});
    adapter().Model(2).type = 1;
    adapter().Model(3).type = 5;
    EXPECT_EQ(device.GetDeviceType(0, 2, 0), 1);
    EXPECT_EQ(device.GetDeviceType(0, 3, 0), 5);
    EXPECT_EQ(device.GetDeviceType(0, 4, 0), -1);
    EXPECT_EQ(device.GetDeviceType(0, 2, 1), -1);
}

}  // namespace

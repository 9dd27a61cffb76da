// The tape commands as the program uses them, run once per drive the machine
// offers: the built-in virtual drive, the same in its LTO-like personality,
// tgt's tape emulation over iSCSI, and a drive behind the kernel's SCSI
// generic driver when a run names one. Each test starts with the drive made
// ready the way a careful initiator does it (AwaitReady).
// What needs no special set-up are the program's own drive checks (the
// self-test's), run here one by one on a blank tape; the cases below need an
// empty target, another device, a drive just switched on, an unload or a
// write-protected tape. Each case is named after the command and the case. Where a drive is known
// to differ from SSC (see DriveQuirks), the case checks what the program
// relies on and that drive's own answer.

#include "TapeCommandFixture.h"

#include <cstring>

#include "app/DriveChecks.h"
#include "aspi/Srb.h"
#include "scsi/Sleep.h"

namespace {

using TapeCommand = TapeCommandFixture;

TEST_P(TapeCommand, Inquiry_EmptyTargetFailsAndLeavesTheText) {
    char text[24] = "untouched";
    EXPECT_EQ(device_.Inquiry(text, Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(device_.GetDeviceType(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
}

TEST_P(TapeCommand, GetDeviceType_OtherDeviceGetsNoTapeCommands) {
    const int other = drive_->OtherDeviceTarget();
    if (other < 0) GTEST_SKIP() << "this drive has no other device beside it";
    const int type = device_.GetDeviceType(Ha(), static_cast<BYTE>(other), 0);
    EXPECT_GE(type, 0);
    EXPECT_NE(type, 1);
    BYTE block[1024];
    EXPECT_EQ(device_.Rewind(Ha(), static_cast<BYTE>(other), 0), -1);
    EXPECT_EQ(device_.Read(block, 1, Ha(), static_cast<BYTE>(other), 0), -1);
    EXPECT_EQ(device_.SpaceToEndOfData(Ha(), static_cast<BYTE>(other), 0), -1);
}

TEST_P(TapeCommand, TestUnitReady_EmptyTargetIsNotInstalled) {
    EXPECT_EQ(device_.TestUnitReady(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), SS_NO_DEVICE);
}

TEST_P(TapeCommand, ModeSense_FreshDriveIsInVariableBlockMode) {
    int mediumType = -5, blockCount = -5, blockLength = -5;
    ASSERT_EQ(device_.ModeSense(mediumType, blockCount, blockLength, Ha(), Target(), 0), 0);
    EXPECT_EQ(blockLength, 0);
    EXPECT_GE(blockCount, 0);
    EXPECT_GE(mediumType, 0);
}

TEST_P(TapeCommand, ModeSense_EmptyTargetFailsWithMinusOnes) {
    int mediumType = 7, blockCount = 0, blockLength = 0;
    EXPECT_EQ(device_.ModeSense(mediumType, blockCount, blockLength, Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0),
              -1);
    EXPECT_EQ(blockCount, -1);
    EXPECT_EQ(blockLength, -1);
    EXPECT_EQ(mediumType, 7);
}

TEST_P(TapeCommand, ModeSelect_EmptyTargetFails) {
    int mediumType = 0, blockCount = 0, blockLength = 1024;
    EXPECT_EQ(device_.ModeSelect(mediumType, blockCount, blockLength, Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0),
              -1);
    EXPECT_EQ(blockLength, -1);
}

TEST_P(TapeCommand, SpaceToEndOfData_EmptyTargetIsRefused) {
    EXPECT_EQ(device_.SpaceToEndOfData(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
}

TEST_P(TapeCommand, Rewind_EmptyTargetIsRefused) {
    EXPECT_EQ(device_.Rewind(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
    EXPECT_EQ(device_.Eject(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
    EXPECT_EQ(device_.WriteFilemark(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
}

TEST_P(TapeCommand, Eject_Unloads) {
    UseBlockLength(1024);
    WriteRecord(1, 1);
    ASSERT_EQ(device_.Eject(Ha(), Target(), 0), 0);
    if (!quirks_.unloadTakesTapeOut) {
        // tgt ignores the unload: the same tape is still in, written as it was.
        ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
        ExpectRecord(1, 1);
    } else if (quirks_.loadsNextAfterUnload) {
        // The autoloader puts in its next (blank) cartridge.
        ASSERT_EQ(AwaitReady(address_), "");
        EXPECT_EQ(device_.TestUnitReady(Ha(), Target(), 0), SS_PENDING);
        EXPECT_FALSE(device_.LastTestUnitReadyNotReady());
        UseBlockLength(1024);
        ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
        std::vector<BYTE> data(1024);
        EXPECT_EQ(device_.Read(data.data(), 1, Ha(), Target(), 0), -1) << "the next cartridge is blank";
    } else {
        EXPECT_EQ(device_.TestUnitReady(Ha(), Target(), 0), SS_PENDING);
        EXPECT_TRUE(device_.LastTestUnitReadyNotReady());
    }
}

// The room status shows for a drive that reports it; one that does not is
// told apart from a failure, so status says "not reported".
TEST_P(TapeCommand, LogSense_TapeCapacityShrinksAsTheTapeFills) {
    long long remaining = 0, maximum = 0;
    const int blank = device_.ReadTapeCapacity(remaining, maximum, Ha(), Target(), 0);
    if (!quirks_.reportsTapeCapacity) {
        EXPECT_EQ(blank, 1);
        EXPECT_EQ(maximum, -1);
        return;
    }
    ASSERT_EQ(blank, 0);
    EXPECT_GT(maximum, 0);
    EXPECT_EQ(maximum % (1 << 20), 0) << "reported in MiB";
    EXPECT_LE(remaining, maximum);
    UseBlockLength(1024);
    for (int record = 1; record <= 48; ++record) WriteRecord(record, 64);
    long long after = 0;
    ASSERT_EQ(device_.ReadTapeCapacity(after, maximum, Ha(), Target(), 0), 0);
    EXPECT_LE(after, remaining - (2 << 20)) << "3 MiB written";
}

// The shared checks whose answers differ between drives: what the program
// relies on holds everywhere (the check), the sense data are the drive's own.
TEST_P(TapeCommand, Read_FixedAtEndOfDataOfABlankTape) {
    EXPECT_EQ(RunCheck("Read_FixedAtEndOfDataOfABlankTape"), "");
    if (quirks_.readAtEndOfDataIsBlankCheck) {
        EXPECT_EQ(SenseKey(), 8);
        EXPECT_EQ(Asc(), 0x00);
        EXPECT_EQ(Ascq(), 0x05);
    } else {
        // tgt: MEDIUM ERROR, medium format corrupted.
        EXPECT_EQ(SenseKey(), 3);
        EXPECT_EQ(Asc(), 0x31);
    }
}

TEST_P(TapeCommand, Read_FixedAtEndOfDataAfterTheLastRecord) {
    EXPECT_EQ(RunCheck("Read_FixedAtEndOfDataAfterTheLastRecord"), "");
    EXPECT_EQ(SenseKey(), quirks_.readAtEndOfDataIsBlankCheck ? 8 : 3);
}

TEST_P(TapeCommand, SpaceFilemarks_PastEndOfDataFails) {
    EXPECT_EQ(RunCheck("SpaceFilemarks_PastEndOfDataFails"), "");
    if (quirks_.spaceAtEndOfDataIsBlankCheck) {
        EXPECT_EQ(SenseKey(), 8);
        EXPECT_EQ(Ascq(), 0x05);
        EXPECT_TRUE(InformationValid());
        EXPECT_EQ(Information(), 298);
    } else {
        // tgt: NO SENSE with end-of-data detected and no residue.
        EXPECT_EQ(SenseKey(), 0);
        EXPECT_EQ(Asc(), 0x00);
        EXPECT_EQ(Ascq(), 0x05);
    }
}

class WriteProtectedTape : public TapeCommandFixture {
protected:
    bool WriteProtected() const override { return true; }
};

TEST_P(WriteProtectedTape, Write_FailsWithDataProtect) {
    UseBlockLength(1024);
    std::vector<BYTE> data = Pattern(1, 1);
    EXPECT_EQ(device_.Write(data.data(), 1, Ha(), Target(), 0), -1);
    EXPECT_EQ(SenseKey(), 7);
}

TEST_P(WriteProtectedTape, WriteFilemark_FailsWithDataProtect) {
    UseBlockLength(1024);
    EXPECT_EQ(device_.WriteFilemark(Ha(), Target(), 0), -1);
    EXPECT_EQ(SenseKey(), 7);
}

// Every check "tapewren-cli selftest" runs, each on a blank tape of every drive.
class SharedDriveCheck : public testing::TestWithParam<std::tuple<DriveKind, std::size_t>> {
protected:
    void SetUp() override {
        SetSleepFunction(TestSleep);
        drive_ = TestDrive::Make(std::get<0>(GetParam()));
        std::string error;
        ASSERT_TRUE(drive_->Prepare(false, error)) << error;
        ASSERT_EQ(AwaitReady(drive_->Address()), "");
    }
    void TearDown() override {
        drive_.reset();
        SetSleepFunction(nullptr);
    }
    std::unique_ptr<TestDrive> drive_;
    ScsiDevice device_;
};

TEST_P(SharedDriveCheck, PassesOnABlankTape) {
    const DriveCheck& check = DriveChecks()[std::get<1>(GetParam())];
    DriveCheckContext context{device_, drive_->Address()};
    const DriveCheckOutcome outcome = RunDriveCheck(check, context, true);
    EXPECT_EQ(outcome.result, DriveCheckResult::Passed) << check.name << ": " << outcome.detail;
}

std::string CheckName(const testing::TestParamInfo<std::tuple<DriveKind, std::size_t>>& info) {
    return DriveName(std::get<0>(info.param)) + "_" + DriveChecks()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(Drives, SharedDriveCheck,
                         testing::Combine(testing::ValuesIn(DriveKinds()),
                                          testing::Range<std::size_t>(0, DriveChecks().size())),
                         CheckName);

std::string Name(const ::testing::TestParamInfo<DriveKind>& info) { return DriveName(info.param); }

INSTANTIATE_TEST_SUITE_P(Drives, TapeCommand, ::testing::ValuesIn(DriveKinds()), Name);
INSTANTIATE_TEST_SUITE_P(Drives, WriteProtectedTape, ::testing::ValuesIn(DriveKinds()), Name);

}  // namespace

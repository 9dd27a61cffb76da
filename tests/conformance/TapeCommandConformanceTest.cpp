// The tape commands as the program uses them, run once per drive the machine
// offers: the built-in virtual drive and tgt's tape emulation over iSCSI.
// Each case is named after the command and the case. Where a drive is known
// to differ from SSC (see DriveQuirks), the case checks what the program
// relies on and that drive's own answer.

#include "TapeCommandFixture.h"

#include <cstring>

#include "aspi/Srb.h"

namespace {

using TapeCommand = TapeCommandFixture;

TEST_P(TapeCommand, Inquiry_TapeDriveGivesVendorAndProduct) {
    char text[40];
    std::memset(text, 'x', sizeof text);
    ASSERT_EQ(device_.Inquiry(text, Ha(), Target(), 0), 0);
    EXPECT_EQ(std::strlen(text), 23u);
    EXPECT_EQ(device_.GetDeviceType(Ha(), Target(), 0), 1);
}

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

TEST_P(TapeCommand, TestUnitReady_ReadyWithATape) {
    EXPECT_EQ(device_.TestUnitReady(Ha(), Target(), 0), SS_PENDING);
    EXPECT_FALSE(device_.LastTestUnitReadyNotReady());
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

TEST_P(TapeCommand, ModeSelect_1024ThenModeSenseShowsIt) {
    int mediumType = 9, blockCount = 9, blockLength = 1024;
    ASSERT_EQ(device_.ModeSelect(mediumType, blockCount, blockLength, Ha(), Target(), 0), 0);
    EXPECT_EQ(blockLength, 1024);
    EXPECT_EQ(blockCount, 0);
    EXPECT_EQ(mediumType, 0);
    blockLength = 0;
    ASSERT_EQ(device_.ModeSense(mediumType, blockCount, blockLength, Ha(), Target(), 0), 0);
    EXPECT_EQ(blockLength, 1024);
}

TEST_P(TapeCommand, ModeSelect_SwitchesBetweenBlockLengths) {
    for (int length : {512, 2048, 1024}) {
        int mediumType = 0, blockCount = 0, blockLength = length;
        ASSERT_EQ(device_.ModeSelect(mediumType, blockCount, blockLength, Ha(), Target(), 0), 0) << length;
        blockLength = 0;
        ASSERT_EQ(device_.ModeSense(mediumType, blockCount, blockLength, Ha(), Target(), 0), 0);
        EXPECT_EQ(blockLength, length);
    }
}

TEST_P(TapeCommand, ModeSelect_EmptyTargetFails) {
    int mediumType = 0, blockCount = 0, blockLength = 1024;
    EXPECT_EQ(device_.ModeSelect(mediumType, blockCount, blockLength, Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0),
              -1);
    EXPECT_EQ(blockLength, -1);
}

TEST_P(TapeCommand, Write_64BlocksReadBackAfterRewind) {
    UseBlockLength(1024);
    WriteRecord(1, 64);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 64);
}

TEST_P(TapeCommand, Write_TenAndOneBlockTransfersMakeOneRecord) {
    UseBlockLength(512);
    std::vector<BYTE> data = Pattern(4, 11);
    ASSERT_EQ(device_.Write(data.data(), 10, Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.Write(data.data() + 10 * 512, 1, Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.WriteFilemark(Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(4, 1);
    ExpectRecord(4, 10, 1);
}

TEST_P(TapeCommand, Read_FixedStopsAfterTheFilemarkWithTheResidue) {
    UseBlockLength(1024);
    WriteRecord(1, 2);
    WriteRecord(2, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    std::vector<BYTE> data(3 * 1024);
    EXPECT_EQ(ReadOnce(data.data(), 3), SS_ERR);
    EXPECT_EQ(raw_.SRB_TargStat, STATUS_CHKCOND);
    EXPECT_TRUE(FilemarkBit());
    EXPECT_EQ(SenseKey(), 0);
    EXPECT_TRUE(InformationValid());
    EXPECT_EQ(Information(), 1);
    const std::vector<BYTE> first = Pattern(1, 2);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), data.begin())) << "the blocks before the filemark";
    // The tape stands after the filemark: the next read is the next record.
    ExpectRecord(2, 1);
}

// A read that the drive ended at a filemark is not sent again: the retry
// would read the next record and "succeed" with another file's data.
TEST_P(TapeCommand, Read_RetryDoesNotReadOnIntoTheNextRecord) {
    UseBlockLength(1024);
    WriteRecord(1, 1);
    WriteRecord(2, 2);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    std::vector<BYTE> data(2 * 1024);
    EXPECT_EQ(device_.Read(data.data(), 2, Ha(), Target(), 0), -1);
    ExpectRecord(2, 2);
}

TEST_P(TapeCommand, Read_LastBlockLeavesTheTapeBeforeTheFilemark) {
    UseBlockLength(1024);
    WriteRecord(1, 2);
    WriteRecord(2, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 2);
    ASSERT_EQ(device_.SpaceFilemarks(1, Ha(), Target(), 0), 0);
    ExpectRecord(2, 1);
}

TEST_P(TapeCommand, Read_FixedAtEndOfDataOfABlankTape) {
    UseBlockLength(1024);
    std::vector<BYTE> data(1024);
    EXPECT_EQ(device_.Read(data.data(), 1, Ha(), Target(), 0), -1);
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
    UseBlockLength(1024);
    WriteRecord(1, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.SpaceFilemarks(1, Ha(), Target(), 0), 0);
    std::vector<BYTE> data(1024);
    EXPECT_EQ(device_.Read(data.data(), 1, Ha(), Target(), 0), -1);
    EXPECT_EQ(SenseKey(), quirks_.readAtEndOfDataIsBlankCheck ? 8 : 3);
}

TEST_P(TapeCommand, SpaceFilemarks_LandsAtTheFirstBlockOfTheNextRecord) {
    UseBlockLength(1024);
    for (int record = 1; record <= 4; ++record) WriteRecord(record, 2);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.SpaceFilemarks(2, Ha(), Target(), 0), 0);
    ExpectRecord(3, 1);
    // From inside a record, one filemark is the end of that record.
    ASSERT_EQ(device_.SpaceFilemarks(1, Ha(), Target(), 0), 0);
    ExpectRecord(4, 2);
}

TEST_P(TapeCommand, SpaceFilemarks_ZeroDoesNotMove) {
    UseBlockLength(1024);
    WriteRecord(1, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.SpaceFilemarks(0, Ha(), Target(), 0), 0);
    ExpectRecord(1, 1);
}

TEST_P(TapeCommand, SpaceFilemarks_PastEndOfDataFails) {
    UseBlockLength(1024);
    WriteRecord(1, 1);
    WriteRecord(2, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    EXPECT_EQ(device_.SpaceFilemarks(300, Ha(), Target(), 0), -1);
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

TEST_P(TapeCommand, SpaceToEndOfData_ThenWriteAppends) {
    UseBlockLength(1024);
    WriteRecord(1, 1);
    WriteRecord(2, 3);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.SpaceToEndOfData(Ha(), Target(), 0), SS_COMP);
    WriteRecord(3, 2);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 1);
    ASSERT_EQ(device_.SpaceFilemarks(2, Ha(), Target(), 0), 0);
    ExpectRecord(3, 2);
}

TEST_P(TapeCommand, SpaceToEndOfData_BlankTapeStaysAtTheBeginning) {
    UseBlockLength(1024);
    ASSERT_EQ(device_.SpaceToEndOfData(Ha(), Target(), 0), SS_COMP);
    WriteRecord(1, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 1);
}

TEST_P(TapeCommand, SpaceToEndOfData_EmptyTargetIsRefused) {
    EXPECT_EQ(device_.SpaceToEndOfData(Ha(), static_cast<BYTE>(drive_->EmptyTarget()), 0), -1);
}

TEST_P(TapeCommand, Write_InTheMiddleTruncatesTheTape) {
    UseBlockLength(1024);
    for (int record = 1; record <= 3; ++record) WriteRecord(record, 2);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ASSERT_EQ(device_.SpaceFilemarks(1, Ha(), Target(), 0), 0);
    WriteRecord(9, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 2);
    ASSERT_EQ(device_.SpaceFilemarks(1, Ha(), Target(), 0), 0);
    ExpectRecord(9, 1);
    ASSERT_EQ(device_.SpaceFilemarks(1, Ha(), Target(), 0), 0);
    std::vector<BYTE> data(1024);
    EXPECT_EQ(device_.Read(data.data(), 1, Ha(), Target(), 0), -1) << "record 3 must be gone";
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    EXPECT_EQ(device_.SpaceFilemarks(3, Ha(), Target(), 0), -1) << "only two filemarks are left";
}

TEST_P(TapeCommand, Rewind_ReturnsToTheFirstBlock) {
    UseBlockLength(1024);
    WriteRecord(1, 3);
    WriteRecord(2, 1);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 2);
    ASSERT_EQ(device_.Rewind(Ha(), Target(), 0), 0);
    ExpectRecord(1, 1);
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

std::string Name(const ::testing::TestParamInfo<DriveKind>& info) { return DriveName(info.param); }

INSTANTIATE_TEST_SUITE_P(Drives, TapeCommand, ::testing::Values(DriveKind::Virtual, DriveKind::Tgt), Name);
INSTANTIATE_TEST_SUITE_P(Drives, WriteProtectedTape, ::testing::Values(DriveKind::Virtual, DriveKind::Tgt), Name);

}  // namespace

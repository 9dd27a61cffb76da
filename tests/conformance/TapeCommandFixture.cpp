#include "TapeCommandFixture.h"

#include "app/DriveChecks.h"
#include "aspi/Aspi.h"
#include "scsi/Sleep.h"

void TapeCommandFixture::SetUp() {
    // The adapters finish before SendASPI32Command returns, so polling never
    // waits; the half-second retry pause is skipped, and waiting for a
    // cartridge to become ready costs nothing.
    SetSleepFunction(TestSleep);
    drive_ = TestDrive::Make(GetParam());
    std::string error;
    ASSERT_TRUE(drive_->Prepare(WriteProtected(), error)) << error;
    address_ = drive_->Address();
    quirks_ = drive_->Quirks();
    ASSERT_EQ(AwaitReady(address_), "");
}

void TapeCommandFixture::TearDown() {
    drive_.reset();
    SetSleepFunction(nullptr);
}

void TapeCommandFixture::UseBlockLength(int length) {
    int mediumType = 0, blockCount = 0, blockLength = length;
    ASSERT_EQ(device_.ModeSelect(mediumType, blockCount, blockLength, Ha(), Target(), 0), 0);
    blockLength_ = length;
}

std::vector<BYTE> TapeCommandFixture::Pattern(int record, int blocks, int firstBlock) const {
    std::vector<BYTE> data(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(blockLength_));
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::size_t block = firstBlock + i / static_cast<std::size_t>(blockLength_);
        data[i] = static_cast<BYTE>(record * 37 + block * 11 + (i % static_cast<std::size_t>(blockLength_)) * 7 + 1);
    }
    return data;
}

void TapeCommandFixture::WriteRecord(int record, int blocks) {
    std::vector<BYTE> data = Pattern(record, blocks);
    ASSERT_EQ(device_.Write(data.data(), blocks, Ha(), Target(), 0), 0) << "record " << record;
    ASSERT_EQ(device_.WriteFilemark(Ha(), Target(), 0), 0) << "record " << record;
}

void TapeCommandFixture::ExpectRecord(int record, int blocks, int firstBlock) {
    std::vector<BYTE> data(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(blockLength_), 0xEE);
    ASSERT_EQ(device_.Read(data.data(), blocks, Ha(), Target(), 0), 0) << "record " << record;
    EXPECT_TRUE(data == Pattern(record, blocks, firstBlock)) << "record " << record << " differs";
}

BYTE TapeCommandFixture::ReadOnce(BYTE* data, int blocks) {
    useRaw_ = true;
    raw_ = SRB_ExecSCSICmd{};
    raw_.SRB_Cmd = SC_EXEC_SCSI_CMD;
    raw_.SRB_HaId = Ha();
    raw_.SRB_Target = Target();
    raw_.SRB_Flags = SRB_DIR_IN;
    raw_.SRB_BufLen = static_cast<DWORD>(blocks * blockLength_);
    raw_.SRB_BufPointer = data;
    raw_.SRB_SenseLen = SENSE_LEN;
    raw_.SRB_CDBLen = 6;
    const BYTE cdb[6] = {0x08, 0x01, static_cast<BYTE>(blocks >> 16), static_cast<BYTE>(blocks >> 8),
                         static_cast<BYTE>(blocks), 0};
    std::copy(cdb, cdb + 6, raw_.CDBByte);
    SendASPI32Command(&raw_);
    // Every adapter here finishes before the call returns.
    return SrbStatus(raw_.SRB_Status);
}

std::int32_t TapeCommandFixture::Information() const {
    const BYTE* s = Sense();
    return static_cast<std::int32_t>((std::uint32_t{s[3]} << 24) | (std::uint32_t{s[4]} << 16) |
                                     (std::uint32_t{s[5]} << 8) | s[6]);
}

std::string TapeCommandFixture::RunCheck(const std::string& name) {
    useRaw_ = false;
    for (const DriveCheck& check : DriveChecks()) {
        if (name != check.name) continue;
        DriveCheckContext context{device_, address_};
        const DriveCheckOutcome outcome = RunDriveCheck(check, context, true);
        return outcome.result == DriveCheckResult::Passed ? std::string() : outcome.detail;
    }
    return "no check named " + name;
}

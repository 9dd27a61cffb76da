#include "app/DriveChecks.h"

#include <algorithm>
#include <cstring>

#include "aspi/Aspi.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "scsi/Sleep.h"
#include "scsi/TapeStop.h"

namespace {

// Runs the commands of one check and keeps the first thing that did not hold.
class Check {
public:
    explicit Check(DriveCheckContext& c) : c_(c) {}

    BYTE Ha() const { return c_.address.adapter; }
    BYTE Target() const { return c_.address.target; }
    ScsiDevice& Device() { return c_.device; }

    bool Expect(bool condition, const std::string& what) {
        if (!condition && problem_.empty()) problem_ = what;
        return condition;
    }
    bool Ok() const { return problem_.empty(); }
    std::string Problem() const { return problem_; }

    bool UseBlockLength(int length) {
        int mediumType = 0, blockCount = 0, blockLength = length;
        if (!Expect(c_.device.ModeSelect(mediumType, blockCount, blockLength, Ha(), Target(), 0) == 0,
                    "MODE SELECT of " + std::to_string(length) + "-byte blocks failed"))
            return false;
        c_.blockLength = length;
        return true;
    }
    bool Rewind() { return Expect(c_.device.Rewind(Ha(), Target(), 0) == 0, "REWIND failed"); }
    bool Space(int count, const std::string& what) {
        return Expect(c_.device.SpaceFilemarks(count, Ha(), Target(), 0) == 0, what);
    }

    // Block `block` of record `record`: every byte depends on both.
    std::vector<BYTE> Pattern(int record, int blocks, int firstBlock = 0) const {
        const auto length = static_cast<std::size_t>(c_.blockLength);
        std::vector<BYTE> data(static_cast<std::size_t>(blocks) * length);
        for (std::size_t i = 0; i < data.size(); ++i) {
            const std::size_t block = static_cast<std::size_t>(firstBlock) + i / length;
            data[i] = static_cast<BYTE>(record * 37 + block * 11 + (i % length) * 7 + 1);
        }
        return data;
    }
    // `blocks` blocks of record `record` and its filemark.
    bool WriteRecord(int record, int blocks) {
        std::vector<BYTE> data = Pattern(record, blocks);
        const std::string which = " of record " + std::to_string(record);
        return Expect(c_.device.Write(data.data(), blocks, Ha(), Target(), 0) == 0, "WRITE" + which + " failed") &&
               Expect(c_.device.WriteFilemark(Ha(), Target(), 0) == 0, "WRITE FILEMARKS after record " +
                                                                            std::to_string(record) + " failed");
    }
    // Reads `blocks` blocks and expects blocks firstBlock.. of record.
    bool ExpectRecord(int record, int blocks, int firstBlock = 0) {
        std::vector<BYTE> data(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(c_.blockLength), 0xEE);
        const std::string which = "record " + std::to_string(record);
        return Expect(c_.device.Read(data.data(), blocks, Ha(), Target(), 0) == 0, "READ of " + which + " failed") &&
               Expect(data == Pattern(record, blocks, firstBlock), "READ of " + which + " returned other data");
    }
    bool ExpectReadFails(const std::string& what) {
        std::vector<BYTE> data(static_cast<std::size_t>(c_.blockLength));
        return Expect(c_.device.Read(data.data(), 1, Ha(), Target(), 0) == -1, what);
    }
    // One READ straight through the stand-in, without ScsiDevice's retry
    // (which would read on past the filemark).
    BYTE ReadOnce(BYTE* data, int blocks, SRB_ExecSCSICmd& raw) const {
        raw = SRB_ExecSCSICmd{};
        raw.SRB_Cmd = SC_EXEC_SCSI_CMD;
        raw.SRB_HaId = Ha();
        raw.SRB_Target = Target();
        raw.SRB_Flags = SRB_DIR_IN;
        raw.SRB_BufLen = static_cast<DWORD>(blocks * c_.blockLength);
        raw.SRB_BufPointer = data;
        raw.SRB_SenseLen = SENSE_LEN;
        raw.SRB_CDBLen = 6;
        const BYTE cdb[6] = {ScsiOp::Read6, 0x01, static_cast<BYTE>(blocks >> 16), static_cast<BYTE>(blocks >> 8),
                             static_cast<BYTE>(blocks), 0};
        std::copy(cdb, cdb + 6, raw.CDBByte);
        SendASPI32Command(&raw);
        while (SrbStatus(raw.SRB_Status) == SS_PENDING) SleepMs(1);
        return SrbStatus(raw.SRB_Status);
    }

private:
    DriveCheckContext& c_;
    std::string problem_;
};

std::string Inquiry(DriveCheckContext& c) {
    Check k(c);
    char text[40];
    std::memset(text, 'x', sizeof text);
    if (k.Expect(k.Device().Inquiry(text, k.Ha(), k.Target(), 0) == 0, "INQUIRY failed"))
        k.Expect(std::strlen(text) == 23, "INQUIRY gave no 23-character vendor and product text");
    k.Expect(k.Device().GetDeviceType(k.Ha(), k.Target(), 0) == 1, "the device is not a tape drive (type 1)");
    return k.Problem();
}

std::string TestUnitReady(DriveCheckContext& c) {
    Check k(c);
    k.Expect(k.Device().TestUnitReady(k.Ha(), k.Target(), 0) == SS_PENDING, "TEST UNIT READY was not accepted");
    k.Expect(!k.Device().LastTestUnitReadyNotReady(), "TEST UNIT READY says no tape is loaded");
    return k.Problem();
}

std::string ModeSelect1024(DriveCheckContext& c) {
    Check k(c);
    int mediumType = 9, blockCount = 9, blockLength = 1024;
    if (!k.Expect(k.Device().ModeSelect(mediumType, blockCount, blockLength, k.Ha(), k.Target(), 0) == 0,
                  "MODE SELECT of 1024-byte blocks failed"))
        return k.Problem();
    c.blockLength = 1024;
    k.Expect(blockLength == 1024 && blockCount == 0 && mediumType == 0, "MODE SELECT did not echo what it sent");
    blockLength = 0;
    k.Expect(k.Device().ModeSense(mediumType, blockCount, blockLength, k.Ha(), k.Target(), 0) == 0,
             "MODE SENSE failed");
    k.Expect(blockLength == 1024, "MODE SENSE shows " + std::to_string(blockLength) + "-byte blocks, not 1024");
    return k.Problem();
}

std::string ModeSelectLengths(DriveCheckContext& c) {
    Check k(c);
    for (int length : {512, 2048, 1024}) {
        if (!k.UseBlockLength(length)) break;
        int mediumType = 0, blockCount = 0, blockLength = 0;
        k.Expect(k.Device().ModeSense(mediumType, blockCount, blockLength, k.Ha(), k.Target(), 0) == 0 &&
                     blockLength == length,
                 "MODE SENSE does not show the " + std::to_string(length) + "-byte blocks just selected");
    }
    return k.Problem();
}

std::string Write64Blocks(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() && k.WriteRecord(1, 64) && k.Rewind()) k.ExpectRecord(1, 64);
    return k.Problem();
}

std::string WriteTenAndOne(DriveCheckContext& c) {
    Check k(c);
    if (!k.UseBlockLength(512) || !k.Rewind()) return k.Problem();
    std::vector<BYTE> data = k.Pattern(4, 11);
    ScsiDevice& d = k.Device();
    if (k.Expect(d.Write(data.data(), 10, k.Ha(), k.Target(), 0) == 0, "WRITE of 10 blocks failed") &&
        k.Expect(d.Write(data.data() + 10 * 512, 1, k.Ha(), k.Target(), 0) == 0, "WRITE of 1 block failed") &&
        k.Expect(d.WriteFilemark(k.Ha(), k.Target(), 0) == 0, "WRITE FILEMARKS failed") && k.Rewind() &&
        k.ExpectRecord(4, 1))
        k.ExpectRecord(4, 10, 1);
    return k.Problem();
}

std::string ReadStopsAfterFilemark(DriveCheckContext& c) {
    Check k(c);
    if (!k.UseBlockLength(1024) || !k.Rewind() || !k.WriteRecord(1, 2) || !k.WriteRecord(2, 1) || !k.Rewind())
        return k.Problem();
    std::vector<BYTE> data(3 * 1024);
    SRB_ExecSCSICmd raw{};
    k.Expect(k.ReadOnce(data.data(), 3, raw) == SS_ERR && raw.SRB_TargStat == STATUS_CHKCOND,
             "a READ across a filemark did not end with CHECK CONDITION");
    const BYTE* s = raw.SenseArea;
    const auto information = static_cast<std::int32_t>((std::uint32_t{s[3]} << 24) | (std::uint32_t{s[4]} << 16) |
                                                       (std::uint32_t{s[5]} << 8) | s[6]);
    k.Expect((s[SenseData::kFlagsAndKey] & SenseData::kFilemark) != 0 && SenseData::Key(s) == SenseKey::NoSense,
             "the sense data do not report the filemark");
    k.Expect((s[0] & 0x80) != 0 && information == 1, "the sense data do not give the residue of 1 block");
    const std::vector<BYTE> first = k.Pattern(1, 2);
    k.Expect(std::equal(first.begin(), first.end(), data.begin()), "the blocks before the filemark differ");
    // The tape stands after the filemark: the next read is the next record.
    k.ExpectRecord(2, 1);
    return k.Problem();
}

// A read that the drive ended at a filemark is not sent again: the retry
// would read the next record and "succeed" with another file's data.
std::string ReadRetry(DriveCheckContext& c) {
    Check k(c);
    if (!k.UseBlockLength(1024) || !k.Rewind() || !k.WriteRecord(1, 1) || !k.WriteRecord(2, 2) || !k.Rewind())
        return k.Problem();
    std::vector<BYTE> data(2 * 1024);
    k.Expect(k.Device().Read(data.data(), 2, k.Ha(), k.Target(), 0) == -1, "a READ across a filemark succeeded");
    k.ExpectRecord(2, 2);
    return k.Problem();
}

std::string ReadLastBlock(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() && k.WriteRecord(1, 2) && k.WriteRecord(2, 1) && k.Rewind() &&
        k.ExpectRecord(1, 2) && k.Space(1, "SPACE over the record's filemark failed"))
        k.ExpectRecord(2, 1);
    return k.Problem();
}

std::string ReadBlankTape(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind()) k.ExpectReadFails("a READ of a blank tape succeeded");
    return k.Problem();
}

std::string ReadAfterLastRecord(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() && k.WriteRecord(1, 1) && k.Rewind() &&
        k.Space(1, "SPACE over the filemark failed"))
        k.ExpectReadFails("a READ after the last record succeeded");
    return k.Problem();
}

std::string SpaceLands(DriveCheckContext& c) {
    Check k(c);
    if (!k.UseBlockLength(1024) || !k.Rewind()) return k.Problem();
    for (int record = 1; record <= 4 && k.Ok(); ++record) k.WriteRecord(record, 2);
    // From inside a record, one filemark is the end of that record.
    if (k.Ok() && k.Rewind() && k.Space(2, "SPACE over 2 filemarks failed") && k.ExpectRecord(3, 1) &&
        k.Space(1, "SPACE from inside a record failed"))
        k.ExpectRecord(4, 2);
    return k.Problem();
}

std::string SpaceZero(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() && k.WriteRecord(1, 1) && k.Rewind() &&
        k.Space(0, "SPACE over 0 filemarks failed"))
        k.ExpectRecord(1, 1);
    return k.Problem();
}

std::string SpacePastEnd(DriveCheckContext& c) {
    Check k(c);
    if (!k.UseBlockLength(1024) || !k.Rewind() || !k.WriteRecord(1, 1) || !k.WriteRecord(2, 1) || !k.Rewind())
        return k.Problem();
    if (k.Expect(k.Device().SpaceFilemarks(300, k.Ha(), k.Target(), 0) == -1, "SPACE past the end of data succeeded"))
        k.Expect(LastTapeStop(k.Device()) == TapeStop::EndOfData,
                 "SPACE past the end of data did not report the end of data");
    return k.Problem();
}

std::string SpaceToEndThenWrite(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() && k.WriteRecord(1, 1) && k.WriteRecord(2, 3) && k.Rewind() &&
        k.Expect(k.Device().SpaceToEndOfData(k.Ha(), k.Target(), 0) == SS_COMP, "SPACE to end of data failed") &&
        k.WriteRecord(3, 2) && k.Rewind() && k.ExpectRecord(1, 1) && k.Space(2, "SPACE over 2 filemarks failed"))
        k.ExpectRecord(3, 2);
    return k.Problem();
}

std::string SpaceToEndOfBlankTape(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() &&
        k.Expect(k.Device().SpaceToEndOfData(k.Ha(), k.Target(), 0) == SS_COMP,
                 "SPACE to end of data of a blank tape failed") &&
        k.WriteRecord(1, 1) && k.Rewind())
        k.ExpectRecord(1, 1);
    return k.Problem();
}

std::string WriteTruncates(DriveCheckContext& c) {
    Check k(c);
    if (!k.UseBlockLength(1024) || !k.Rewind()) return k.Problem();
    for (int record = 1; record <= 3 && k.Ok(); ++record) k.WriteRecord(record, 2);
    if (!k.Ok() || !k.Rewind() || !k.Space(1, "SPACE over 1 filemark failed") || !k.WriteRecord(9, 1) ||
        !k.Rewind() || !k.ExpectRecord(1, 2) || !k.Space(1, "SPACE over 1 filemark failed") ||
        !k.ExpectRecord(9, 1) || !k.Space(1, "SPACE over the new record's filemark failed"))
        return k.Problem();
    k.ExpectReadFails("a record written over is still there");
    if (k.Rewind())
        k.Expect(k.Device().SpaceFilemarks(3, k.Ha(), k.Target(), 0) == -1,
                 "more than two filemarks are left after writing over the tape");
    return k.Problem();
}

std::string RewindReturns(DriveCheckContext& c) {
    Check k(c);
    if (k.UseBlockLength(1024) && k.Rewind() && k.WriteRecord(1, 3) && k.WriteRecord(2, 1) && k.Rewind() &&
        k.ExpectRecord(1, 2) && k.Rewind())
        k.ExpectRecord(1, 1);
    return k.Problem();
}

}  // namespace

const std::vector<DriveCheck>& DriveChecks() {
    // The two that need a blank tape first: the others write on it.
    static const std::vector<DriveCheck> checks = {
        {"Read_FixedAtEndOfDataOfABlankTape", true, ReadBlankTape},
        {"SpaceToEndOfData_BlankTapeStaysAtTheBeginning", true, SpaceToEndOfBlankTape},
        {"Inquiry_TapeDriveGivesVendorAndProduct", false, Inquiry},
        {"TestUnitReady_ReadyWithATape", false, TestUnitReady},
        {"ModeSelect_1024ThenModeSenseShowsIt", false, ModeSelect1024},
        {"ModeSelect_SwitchesBetweenBlockLengths", false, ModeSelectLengths},
        {"Write_64BlocksReadBackAfterRewind", false, Write64Blocks},
        {"Write_TenAndOneBlockTransfersMakeOneRecord", false, WriteTenAndOne},
        {"Read_FixedStopsAfterTheFilemarkWithTheResidue", false, ReadStopsAfterFilemark},
        {"Read_RetryDoesNotReadOnIntoTheNextRecord", false, ReadRetry},
        {"Read_LastBlockLeavesTheTapeBeforeTheFilemark", false, ReadLastBlock},
        {"Read_FixedAtEndOfDataAfterTheLastRecord", false, ReadAfterLastRecord},
        {"SpaceFilemarks_LandsAtTheFirstBlockOfTheNextRecord", false, SpaceLands},
        {"SpaceFilemarks_ZeroDoesNotMove", false, SpaceZero},
        {"SpaceFilemarks_PastEndOfDataFails", false, SpacePastEnd},
        {"SpaceToEndOfData_ThenWriteAppends", false, SpaceToEndThenWrite},
        {"Write_InTheMiddleTruncatesTheTape", false, WriteTruncates},
        {"Rewind_ReturnsToTheFirstBlock", false, RewindReturns},
    };
    return checks;
}

DriveCheckOutcome RunDriveCheck(const DriveCheck& check, DriveCheckContext& context, bool tapeIsBlank) {
    if (check.needsBlankTape && !tapeIsBlank) return {DriveCheckResult::Skipped, "needs a blank tape"};
    std::string problem = check.run(context);
    if (problem.empty()) return {};
    return {DriveCheckResult::Failed, std::move(problem)};
}

void RestoreBlockLength(DriveCheckContext& context, int blockLength) {
    if (blockLength <= 0 || blockLength == context.blockLength) return;
    int mediumType = 0, blockCount = 0, length = blockLength;
    if (context.device.ModeSelect(mediumType, blockCount, length, context.address.adapter, context.address.target,
                                  0) == 0)
        context.blockLength = blockLength;
}

#include "cli/FailureWords.h"

#include <cstdio>

#include "app/UnreachedDrive.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "scsi/SelectionOutcome.h"
#include "scsi/TapeStop.h"

namespace {

constexpr BYTE kNoMedium = 0x3A;
constexpr BYTE kFormatCorrupted = 0x31;

const char* kIdentRead = "Error reading IdentBlock from tape";

// The messages that report a tape command's failure, whole or as their
// start. The jobs' refusals and summaries say themselves what happened, and
// the last failed command before them may be one a job expected (the end of
// data that ends a full restore or a rebuild).
const char* const kTapeCommandFailures[] = {
    "Rewind tape error",
    kIdentRead,
    "Moveto filemark error",
    "Error: fewer file records on tape than entries in DirFile",
    "Error: the tape is damaged after the last file record the DirFile lists",
    "Tape read error {",
    "Error writing file {",
    "Write file tape error",
    "Error writing IdentBlock on Tape",
    "Error writing FileMark",
    "MoveToEOD Error",
    "Restore error",
    kNotReachedNotice,
};
// Spacing to the record of a catalog entry: an end of data there means the
// tape holds fewer records than the catalog lists.
const char* const kSpacingToCatalogRecord[] = {
    "Moveto filemark error",
    "Error: fewer file records on tape than entries in DirFile",
};
// A skipped record's message, when a failed read skipped it.
const char kRecordSkipped[] = "Error: file record ";
const char kRecordUnreadable[] = ": it cannot be read";

bool StartsWith(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

bool ReportsTapeCommand(const std::string& message) {
    for (const char* start : kTapeCommandFailures)
        if (StartsWith(message, start)) return true;
    const std::size_t tail = sizeof kRecordUnreadable - 1;
    return StartsWith(message, kRecordSkipped) && message.size() > tail &&
           message.compare(message.size() - tail, tail, kRecordUnreadable) == 0;
}

bool SpacingToCatalogRecord(const TapeCommandOutcome& failure, const std::string& message) {
    if (failure.opcode != ScsiOp::Space) return false;
    for (const char* start : kSpacingToCatalogRecord)
        if (StartsWith(message, start)) return true;
    return false;
}

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string Busy(const CartridgeFacts& facts) {
    if (!facts.holders.empty())
        return "The drive is busy: the image " + facts.image + " is held by process " + Join(facts.holders) +
               ". Wait until it has finished (or end it), then run the command again.";
    return "The drive is busy: another program is using it. Wait until it has finished, then run the command again.";
}

std::string NoCartridge(const CartridgeFacts& facts) {
    if (facts.virtualDrive && !facts.exists)
        return "No cartridge in the drive: the image " + facts.image +
               " does not exist. Set TAPEWREN_VTAPE to an image file or a folder of cartridges that exists.";
    return "No cartridge in the drive. Load one, then run the command again.";
}

std::string WriteProtected(const CartridgeFacts& facts) {
    if (facts.virtualDrive && facts.readOnly)
        return "The tape is write-protected: the image " + facts.image +
               " is read-only. Make it writable (chmod u+w) or use another cartridge.";
    return "The tape is write-protected. Use another tape, or take off its write protection.";
}

std::string MediumError(bool writing, int record) {
    if (writing) return "The drive cannot write on this tape (medium error). Clean the drive, or use another tape.";
    const std::string where = record > 0 ? " at file record " + std::to_string(record) : std::string();
    return "Medium error" + where +
           ": the drive cannot read the tape there. Clean the drive and try again; \"tapewren-cli restore --all\" "
           "restores every record that can still be read.";
}

}  // namespace

FailureWords::FailureWords(std::function<CartridgeFacts()> facts, std::function<int()> record, bool verbose)
    : facts_(std::move(facts)), record_(std::move(record)), verbose_(verbose),
      explained_(TapeCommandLog::Last().failures) {}

std::string FailureWords::Explain(const std::string& message) {
    const TapeCommandOutcome& last = TapeCommandLog::Last();
    // The last tape command must have failed (a later success clears it),
    // and the message must be the one that reports it.
    if (!last.failed || last.failures == explained_ || !ReportsTapeCommand(message)) return {};
    explained_ = last.failures;
    // What is known of the cartridge (a busy image's holders take a look at
    // every process's open files) is asked once at most, and only by the
    // failures that are explained by it.
    const BYTE key = SenseData::Key(last.sense);
    const bool needsFacts = last.targetStatus == STATUS_BUSY || last.hostStatus != HASTAT_OK ||
                            (last.targetStatus == STATUS_CHKCOND &&
                             (key == SenseKey::NotReady || key == SenseKey::DataProtect));
    if (needsFacts && !factsKnown_ && facts_) {
        knownFacts_ = facts_();
        factsKnown_ = true;
    }
    std::string text = Sentence(last, message, knownFacts_, record_ ? record_() : 0);
    if (text.empty()) return text;
    if (verbose_) {
        char codes[96];
        std::snprintf(codes, sizeof codes, " [command %02X: status %u, host %u, target %u, sense %02X/%02X/%02X]",
                      last.opcode, last.status, last.hostStatus, last.targetStatus, last.sense[2] & 0x0F,
                      last.sense[12], last.sense[13]);
        text += codes;
    }
    return text;
}

std::string FailureWords::Sentence(const TapeCommandOutcome& failure, const std::string& message,
                                   const CartridgeFacts& facts, int record) {
    const std::string unreached = UnreachedDriveSentence(failure, facts);
    if (!unreached.empty()) return unreached;
    if (failure.targetStatus == STATUS_BUSY) return Busy(facts);
    if (failure.status == SS_NO_DEVICE || failure.status == SS_INVALID_HA)
        return "No drive answers at the selected target any more. Check that it is switched on and connected, "
               "then look at \"tapewren-cli adapters\".";
    if (failure.targetStatus != STATUS_CHKCOND)
        return "The drive cannot be reached (host adapter status " + std::to_string(failure.hostStatus) +
               "). Check its cable and power, or the iSCSI target, then run the command again.";

    const BYTE flags = failure.sense[SenseData::kFlagsAndKey];
    const BYTE key = SenseData::Key(failure.sense);
    const BYTE asc = failure.sense[SenseData::kAsc];
    const bool writing = failure.opcode == ScsiOp::Write6 || failure.opcode == ScsiOp::WriteFilemarks;
    const bool identRead = message == kIdentRead;
    if (key == SenseKey::NotReady && asc == kNoMedium) return NoCartridge(facts);
    if (key == SenseKey::NotReady)
        return "The drive is not ready: it may still be loading or rewinding the tape. Wait a moment, then run the "
               "command again.";
    if (key == SenseKey::DataProtect) return WriteProtected(facts);
    if (key == SenseKey::VolumeOverflow || (writing && (flags & SenseData::kEndOfMedium) != 0))
        return "The cartridge is full. Go on with another tape: format it and back up there what did not fit.";
    const TapeStop stop = SenseStop(failure.status, failure.targetStatus, failure.sense);
    if (stop == TapeStop::EndOfData) {
        if (identRead)
            return "The tape is blank: it has not been formatted. Format it with \"tapewren-cli format NAME\" "
                   "first.";
        if (SpacingToCatalogRecord(failure, message))
            return "The tape ends here: it holds fewer file records than its catalog lists. Make the catalog anew "
                   "from the tape with \"tapewren-cli rebuild\".";
        return "The tape ends here: nothing is recorded after this point.";
    }
    // A filemark is part of the format; the message says what it cut short.
    if (stop == TapeStop::Filemark) return {};
    if (key == SenseKey::MediumError && identRead && asc == kFormatCorrupted)
        return "The start of the tape cannot be read: the tape is blank, or written in a format that this drive "
               "cannot read. Format it with \"tapewren-cli format NAME\" to use it.";
    if (key == SenseKey::MediumError) return MediumError(writing, record);
    if (key == SenseKey::HardwareError)
        return "The drive reports a hardware fault. Switch it off and on again; if that does not help, have it "
               "looked at.";
    if (key == SenseKey::UnitAttention)
        return "The drive was reset or its tape was changed while the command ran. Run the command again.";
    if (key == SenseKey::IllegalRequest)
        return "The drive refused the command as not supported. Check with \"tapewren-cli status\" that it is a "
               "tape drive using blocks of 1 to 2048 bytes.";
    char codes[64];
    std::snprintf(codes, sizeof codes, "sense key %u, code %02X/%02X", key, asc, failure.sense[SenseData::kAscq]);
    return std::string("The drive reports a failure (") + codes + "). Look up the code in the drive's manual.";
}

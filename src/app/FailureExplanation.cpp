#include "app/FailureExplanation.h"

#include <cstdio>

#include "app/UnreachedDrive.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "aspi/Srb.h"
#include "report/MessageTable.h"
#include "scsi/TapeStop.h"

namespace {

constexpr std::uint8_t kNoMedium = 0x3A;
constexpr std::uint8_t kFormatCorrupted = 0x31;
constexpr std::uint8_t kWriteProtected = 0x27;
constexpr std::uint8_t kIncompatibleMedium = 0x30;
constexpr std::uint8_t kWormOverwrite = 0x0C;
constexpr std::uint8_t kCannotWriteGeneration = 0x05;
constexpr std::uint8_t kEncryption = 0x74;
constexpr std::uint8_t kDeferredResponse = 0x71;

using FailureExplanation::Face;

// The steps a sentence sends the user to, in each face's own terms.
struct Advice {
    const char* format;
    const char* rebuild;
    const char* restoreAll;
    const char* adapters;
    const char* status;
};

constexpr Advice kCommandLine{
    "Format it with \"tapewren-cli format NAME\"",
    "Make the catalog anew from the tape with \"tapewren-cli rebuild\".",
    "; \"tapewren-cli restore --all\" restores every record that can still be read.",
    "look at \"tapewren-cli adapters\"",
    "Check with \"tapewren-cli status\"",
};
constexpr Advice kWindow{
    "Format it on the Utilities tab with \"FORMAT Tape\"",
    "Make the catalog anew from the tape on the Utilities tab with \"Create Directory File from Tape Contents\".",
    ". The records before and after it can still be restored.",
    "look at the list under \"Select SCSI Adapter\"",
    "Check in the list under \"Select Backup Device\"",
};

const Advice& AdviceFor(Face face) { return face == Face::Window ? kWindow : kCommandLine; }

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

std::string MediumError(bool writing, int record, const Advice& advice) {
    if (writing) return "The drive cannot write on this tape (medium error). Clean the drive, or use another tape.";
    const std::string where = record > 0 ? " at file record " + std::to_string(record) : std::string();
    return "Medium error" + where +
           ": the drive cannot read the tape there. Clean the drive and try again" + advice.restoreAll;
}

// What the message was doing when the command failed.
enum class Doing { Other, ReadingIdent, SpacingToEntry };

std::string Explain(const CommandFailure& failure, Doing doing, int record, const CartridgeFacts& facts,
                    const Advice& advice) {
    const std::string unreached = UnreachedDriveSentence(failure, facts);
    if (!unreached.empty()) return unreached;
    if (failure.targetStatus == STATUS_BUSY) return Busy(facts);
    if (failure.status == SS_NO_DEVICE || failure.status == SS_INVALID_HA)
        return "No drive answers at the selected target any more. Check that it is switched on and connected, "
               "then " + std::string(advice.adapters) + ".";
    if (failure.targetStatus != STATUS_CHKCOND)
        return "The drive cannot be reached (host adapter status " + std::to_string(failure.hostStatus) +
               "). Check its cable and power, or the iSCSI target, then run the command again.";

    const std::uint8_t flags = failure.sense[SenseData::kFlagsAndKey];
    const std::uint8_t key = SenseData::Key(failure.sense);
    const std::uint8_t asc = failure.sense[SenseData::kAsc];
    const std::uint8_t ascq = failure.sense[SenseData::kAscq];
    const bool writing = failure.opcode == ScsiOp::Write6 || failure.opcode == ScsiOp::WriteFilemarks;
    const bool identRead = doing == Doing::ReadingIdent;
    // An earlier buffered write failed: its data, not this command's.
    if ((failure.sense[0] & 0x7F) == kDeferredResponse)
        return "The drive could not write data it had already accepted (a deferred error): the files written last "
               "before this point may be incomplete on tape. Clean the drive, or use another tape, and back them up "
               "again.";
    if (key == SenseKey::NotReady && asc == kNoMedium) return NoCartridge(facts);
    if (key == SenseKey::NotReady)
        return "The drive is not ready: it may still be loading or rewinding the tape. Wait a moment, then run the "
               "command again.";
    if (key == SenseKey::DataProtect && asc == kIncompatibleMedium && ascq == kWormOverwrite)
        return "The cartridge is a WORM cartridge (write once): what is recorded on it cannot be written over, only "
               "appended to. Use another cartridge to format or to write over it.";
    if ((key == SenseKey::DataProtect && asc == kIncompatibleMedium && ascq == kCannotWriteGeneration) ||
        (key == SenseKey::MediumError && asc == kIncompatibleMedium && ascq <= 0x02))
        return std::string("The drive cannot ") + (writing ? "write on" : "read") +
               " this cartridge: its generation or format is not one this drive " + (writing ? "writes" : "reads") +
               " (a drive reads cartridges of its own and older generations, and writes fewer). Use a cartridge "
               "this drive supports, or another drive.";
    if (key == SenseKey::DataProtect && asc == kEncryption)
        return "The tape is encrypted, and the drive has no key for it: it cannot be read. Give the drive the key "
               "with the program that manages its encryption, or use another tape.";
    if (key == SenseKey::DataProtect && asc == kWriteProtected) return WriteProtected(facts);
    if (key == SenseKey::DataProtect) {
        char codes[16];
        std::snprintf(codes, sizeof codes, "%02X/%02X", asc, ascq);
        return std::string("The drive refuses to ") + (writing ? "write on" : "read") + " this cartridge (data protect, " +
               codes + "). Look up the code in the drive's manual, or use another cartridge.";
    }
    if (key == SenseKey::VolumeOverflow || (writing && (flags & SenseData::kEndOfMedium) != 0))
        return "The cartridge is full. Go on with another tape: format it and back up there what did not fit.";
    const TapeStop stop = SenseStop(failure.status, failure.targetStatus, failure.sense);
    if (stop == TapeStop::EndOfData) {
        if (identRead)
            return "The tape is blank: it has not been formatted. " + std::string(advice.format) + " first.";
        if (doing == Doing::SpacingToEntry && failure.opcode == ScsiOp::Space)
            return "The tape ends here: it holds fewer file records than its catalog lists. " +
                   std::string(advice.rebuild);
        return "The tape ends here: nothing is recorded after this point.";
    }
    // A filemark is part of the format; the message says what it cut short.
    if (stop == TapeStop::Filemark) return {};
    if (stop == TapeStop::WrongLength)
        return "The tape was written with another block size than the drive's: a block on it is longer or shorter "
               "than the drive reads. Read it with the block size it was written with.";
    if (key == SenseKey::MediumError && identRead && asc == kFormatCorrupted)
        return "The start of the tape cannot be read: the tape is blank, or written in a format that this drive "
               "cannot read. " + std::string(advice.format) + " to use it.";
    if (key == SenseKey::MediumError) return MediumError(writing, record, advice);
    if (key == SenseKey::HardwareError)
        return "The drive reports a hardware fault. Switch it off and on again; if that does not help, have it "
               "looked at.";
    if (key == SenseKey::UnitAttention)
        return "The drive was reset or its tape was changed while the command ran. Run the command again.";
    if (key == SenseKey::IllegalRequest)
        return "The drive refused the command as not supported. " + std::string(advice.status) +
               " that it is a tape drive using blocks of 1 to 2048 bytes.";
    char codes[64];
    std::snprintf(codes, sizeof codes, "sense key %u, code %02X/%02X", key, asc, failure.sense[SenseData::kAscq]);
    return std::string("The drive reports a failure (") + codes + "). Look up the code in the drive's manual.";
}

}  // namespace

namespace FailureExplanation {

bool Explains(MessageId id) { return MessageInfo(id).reportsTapeCommand; }

bool NeedsFacts(const CommandFailure& failure) {
    const std::uint8_t key = SenseData::Key(failure.sense);
    return failure.targetStatus == STATUS_BUSY || failure.hostStatus != HASTAT_OK ||
           (failure.targetStatus == STATUS_CHKCOND && (key == SenseKey::NotReady || key == SenseKey::DataProtect));
}

std::string Sentence(const Message& message, const CartridgeFacts& facts, Face face) {
    if (!message.failure.present || !Explains(message.id)) return {};
    const Doing doing = message.id == MessageId::IdentUnreadable ? Doing::ReadingIdent
                        : message.id == MessageId::MoveToFilemarkError ||
                                message.id == MessageId::FewerRecordsThanEntries
                            ? Doing::SpacingToEntry
                            : Doing::Other;
    return Explain(message.failure, doing, message.record, facts, AdviceFor(face));
}

std::string Sentence(const CommandFailure& failure, const CartridgeFacts& facts, Face face) {
    if (!failure.present) return {};
    return Explain(failure, Doing::Other, 0, facts, AdviceFor(face));
}

}  // namespace FailureExplanation

#include "cli/DriveCommands.h"

#include "app/CartridgeFacts.h"
#include "app/DriveChecks.h"
#include "app/TapeProbe.h"
#include "app/TapeRoom.h"
#include "catalog/DirFile.h"
#include "catalog/DirFilePath.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "app/FailureExplanation.h"
#include "cli/OutputText.h"
#include "jobs/TapeMaintenance.h"
#include "report/MessageKind.h"
#include "scsi/DeviceSelection.h"

namespace {


void PrintDevices(std::FILE* out, const DeviceListing& devices) {
    for (std::size_t t = 0; t < devices.entries.size(); ++t)
        std::fprintf(out, "  %s %s\n", static_cast<int>(t) == devices.chosen ? "*" : " ",
                     TerminalText(devices.entries[t], false).c_str());
}

// Null product and type for "no device".
nlohmann::json DeviceJson(const DeviceListing& devices, std::size_t t) {
    const DeviceEntry& d = devices.devices[t];
    return {{"target", t},
            {"chosen", static_cast<int>(t) == devices.chosen},
            {"device", d.present ? nlohmann::json(d.product) : nlohmann::json()},
            {"type", d.present ? nlohmann::json(d.type) : nlohmann::json()}};
}

nlohmann::json Number(long long value) { return value < 0 ? nlohmann::json() : nlohmann::json(value); }

}  // namespace

DriveCommands::DriveCommands(CliSession& session, const CommandLine& line, std::FILE* out)
    : session_(session), line_(line), out_(out) {}

int DriveCommands::Adapters() {
    // Only INQUIRY data: listing sets no drive up.
    const AdapterListing listing = session_.ListAdapterEntries();
    if (!listing.available) {
        session_.Messages().ShowMessage(MessageId::CliAdaptersUnavailable, {listing.statusText});
        return kExitFailed;
    }
    session_.BeforeOutput();
    nlohmann::json adapters = nlohmann::json::array();
    // Each adapter with its eight device entries; "*" marks the drive a
    // command would use on that adapter.
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        const DeviceListing devices = session_.Selector().ListDevices(static_cast<int>(i));
        if (line_.json) {
            nlohmann::json entry = {{"entry", i}, {"identifier", listing.names[i]}};
            entry["devices"] = nlohmann::json::array();
            for (std::size_t t = 0; t < devices.devices.size(); ++t) entry["devices"].push_back(DeviceJson(devices, t));
            adapters.push_back(entry);
            continue;
        }
        std::fprintf(out_, "%s\n", TerminalText(listing.entries[i], false).c_str());
        PrintDevices(out_, devices);
    }
    if (line_.json) WriteJson(out_, {{"adapters", adapters}});
    std::fflush(out_);
    return kExitOk;
}

int DriveCommands::Status() {
    bool available = false;
    const DeviceSelection selection = session_.ChooseDrive(line_.adapter, line_.target, available);
    if (!available) {
        session_.Messages().ShowMessage(MessageId::CliAdaptersUnavailable, {selection.notice});
        return kExitFailed;
    }
    const bool accepted = selection.outcome == SelectionOutcome::Accepted;
    const bool ready = accepted && selection.status.enableTapeButtons;
    const DriveAddress& a = session_.Selector().Address();
    const bool writeProtected = ready && session_.Device().WriteProtected(a.adapter, a.target, a.lun) == 1;
    // Why not: the status query's own failure, in words.
    std::string reason;
    session_.Device().KeepOutcome();
    const CommandFailure asked = session_.Device().LastFailure();
    const CartridgeFacts facts = FactsFor(a.adapter, a.target);
    if (!ready && asked.present) reason = FailureExplanation::Sentence(asked, facts);
    // The image itself says why the virtual drive has no tape, even where
    // no command reported a failure.
    const bool busy = !ready && !facts.holders.empty();
    const bool missing = !ready && facts.virtualDrive && !facts.exists;
    if (reason.empty() && busy)
        reason = "The drive is busy: " + std::string(facts.virtualDrive ? "the image " : "") +
                 (facts.virtualDrive ? facts.image : facts.node) + " is held by process " + facts.holders.front() + ".";
    if (reason.empty() && missing) reason = "The image " + facts.image + " is missing: it does not exist.";

    // What the tape holds and the room it has left.
    std::string tapeName, date, version, catalogPath;
    const TapeContents contents = ready ? ProbeTape(session_) : TapeContents::Unknown;
    const bool blank = ready && contents == TapeContents::Blank;
    if (ready && !blank && session_.Volume().ReadIdentBlock(tapeName, date, version) == 0) {
        std::string catalogName, catalogDate;
        if (DirFilePath(session_.StartDirectory(), tapeName, catalogPath) != 0 ||
            session_.Catalog().ReadIdent(catalogPath, catalogName, catalogDate, version) != 0 ||
            catalogName != tapeName || catalogDate != date)
            catalogPath.clear();
    }
    const TapeRoom room = ready ? RoomOf(session_, catalogPath) : TapeRoom{};
    const std::string shortage = room.Shortage();

    session_.BeforeOutput();
    if (line_.json) {
        std::string text = accepted ? selection.status.text : selection.notice;
        if (!text.empty() && text.front() == ' ') text.erase(0, 1);
        WriteJson(out_, {{"status", text},
                         {"tape", tapeName.empty() ? nlohmann::json() : nlohmann::json(tapeName)},
                         {"blank", blank},
                         {"busy", busy},
                         {"missing", missing},
                         {"records_used", Number(room.entries)},
                         {"records_left", Number(room.EntriesLeft())},
                         {"bytes_used", Number(room.entries < 0 ? -1 : room.fileBytes)},
                         {"space_left", Number(room.BytesLeft())},
                         {"warning", shortage.empty() ? nlohmann::json() : nlohmann::json(shortage)},
                         {"usable", accepted},
                         {"ready", ready},
                         {"write_protected", writeProtected},
                         {"capacity_mb", Number(selection.capacityMb)},
                         {"block_size", Number(selection.blockBytes)},
                         {"reason", reason.empty() ? nlohmann::json() : nlohmann::json(reason)}});
    } else {
        std::fprintf(out_, "%s%s\n", accepted ? selection.status.text.c_str() : selection.notice.c_str(),
                     writeProtected ? " The tape is write-protected." : "");
        if (!reason.empty()) std::fprintf(out_, "%s\n", reason.c_str());
        if (blank) std::fprintf(out_, "The tape is blank: it has not been formatted.\n");
        if (!tapeName.empty()) std::fprintf(out_, "Tape: %s\n", TerminalText(tapeName, false).c_str());
        if (!tapeName.empty() && room.entries < 0)
            std::fprintf(out_, "Records: unknown (no directory file of this tape in the catalog folder)\n");
        if (room.entries >= 0)
            std::fprintf(out_, "Records: %d used, %d left\nBytes used: %lld\n", room.entries, room.EntriesLeft(),
                         static_cast<long long>(room.fileBytes));
        if (ready && room.BytesLeft() >= 0)
            std::fprintf(out_, "Space left: %lld of %lld bytes\n", room.BytesLeft(), room.capacity);
        else if (ready)
            std::fprintf(out_, "Space left: not reported by the drive\n");
        if (!shortage.empty())
            std::fprintf(out_, "Warning: little room left: %s. Have the next tape ready.\n", shortage.c_str());
        std::fprintf(out_, "Capacity: %s MB\nBlock Size: %s Bytes\n", selection.capacity.c_str(),
                     selection.blockSize.c_str());
    }
    std::fflush(out_);
    // A script can wait for a usable, loaded drive on the exit status.
    return ready ? kExitOk : kExitFailed;
}

TapeContents DriveCommands::GuardErase(MessageId question) {
    const TapeContents contents = ProbeTape(session_);
    switch (contents) {
    case TapeContents::Blank:
    case TapeContents::Formatted:
        break;
    case TapeContents::Written:
        session_.Answers().Guard(question, "the tape holds data after its ident block");
        break;
    case TapeContents::Foreign:
        session_.Answers().Guard(question, "the tape holds data that does not begin with an ident block");
        break;
    case TapeContents::UnreadableStart:
        session_.Answers().Guard(question, "the start of the tape cannot be read, so it may hold data");
        break;
    case TapeContents::Unknown:
        session_.Answers().Guard(question,
                                 "the tape cannot be read after its ident block, so it may hold file records");
        break;
    }
    return contents;
}

int DriveCommands::Format(const std::string& name) {
    if (session_.SelectDriveToWrite(line_.adapter, line_.target) != 0) return kExitFailed;
    // An existing catalog of that name belongs to another tape.
    session_.Answers().Guard(MessageId::TapeNameExists,
                             "the catalog folder holds another tape's catalog under that name");
    GuardErase(MessageId::FormatQuestion);
    return ExitFor(session_.MaintenanceFor(session_.Events()).FormatTape(name, session_.Tape()));
}

int DriveCommands::Check() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    return ExitFor(session_.MaintenanceFor(session_.Events()).CheckTape());
}

int DriveCommands::Eject() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    // A single image has no magazine: there is nothing to take it out to,
    // and the next run loads it again.
    const DriveAddress& a = session_.Selector().Address();
    const CartridgeFacts facts = FactsFor(a.adapter, a.target);
    if (facts.virtualDrive && !VirtualAutoloader(a.adapter)) {
        session_.Messages().ShowMessage(MessageId::CliCannotEject, {facts.image});
        return kExitFailed;
    }
    return ExitFor(session_.MaintenanceFor(session_.Events()).EjectTape());
}

int DriveCommands::SelfTest() {
    if (session_.SelectDriveToWrite(line_.adapter, line_.target) != 0) return kExitFailed;
    const TapeContents contents = GuardErase(MessageId::CliSelfTestQuestion);
    if (session_.Messages().ShowMessage(MessageId::CliSelfTestQuestion) != kMessageOk) return kExitFailed;

    const DriveSelection& drive = session_.Selector().Selection();
    DriveCheckContext context{session_.Device(), drive.address};
    int failed = 0, skipped = 0, run = 0;
    for (const DriveCheck& check : DriveChecks()) {
        session_.Status().ShowStatus(std::string(" Checking: ") + check.name);
        const DriveCheckOutcome outcome = RunDriveCheck(check, context, contents == TapeContents::Blank);
        const char* word = outcome.result == DriveCheckResult::Passed   ? "passed"
                           : outcome.result == DriveCheckResult::Failed ? "FAILED"
                                                                        : "skipped";
        failed += outcome.result == DriveCheckResult::Failed;
        skipped += outcome.result == DriveCheckResult::Skipped;
        ++run;
        session_.BeforeOutput();
        std::fprintf(out_, "%-48s %s%s%s\n", check.name, word, outcome.detail.empty() ? "" : ": ",
                     outcome.detail.c_str());
        std::fflush(out_);
    }
    RestoreBlockLength(context, drive.blockLength);
    session_.Events().ShowDriveStatus();
    const std::string counts = std::to_string(run - failed - skipped) + " of " + std::to_string(run) +
                               " checks passed" + (skipped > 0 ? ", " + std::to_string(skipped) + " skipped" : "");
    if (failed > 0) {
        session_.Messages().ShowMessage(MessageId::CliSelfTestFailed, {counts});
        return kExitFailed;
    }
    session_.Messages().ShowMessage(MessageId::CliSelfTestPassed, {counts});
    return kExitOk;
}

#include "cli/DriveCommands.h"

#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "jobs/TapeMaintenance.h"
#include "report/MessageKind.h"
#include "scsi/AdapterListing.h"

namespace {

void PrintDevices(std::FILE* out, const DeviceListing& devices) {
    for (std::size_t t = 0; t < devices.entries.size(); ++t)
        std::fprintf(out, "  %s %s\n", static_cast<int>(t) == devices.chosen ? "*" : " ", devices.entries[t].c_str());
}

}  // namespace

DriveCommands::DriveCommands(CliSession& session, const CommandLine& line, std::FILE* out)
    : session_(session), line_(line), out_(out) {}

int DriveCommands::Adapters() {
    const AdapterListing listing = session_.ListAdapters();
    if (!listing.available) {
        session_.Messages().ShowMessage(listing.statusText, Error);
        return kExitFailed;
    }
    session_.BeforeOutput();
    // Each adapter with its eight device entries; "*" marks the drive a
    // command would use on that adapter.
    for (std::size_t i = 0; i < listing.entries.size(); ++i) {
        std::fprintf(out_, "%s\n", listing.entries[i].c_str());
        if (i == 0)
            PrintDevices(out_, listing.devices);
        else
            PrintDevices(out_, session_.Selector().SelectAdapter(static_cast<int>(i), session_.Messages(),
                                                                 session_.Status()));
    }
    std::fflush(out_);
    return kExitOk;
}

int DriveCommands::Status() {
    bool available = false;
    const DeviceSelection selection = session_.ChooseDrive(line_.adapter, line_.target, available);
    if (!available) {
        session_.Messages().ShowMessage(selection.notice, Error);
        return kExitFailed;
    }

    session_.BeforeOutput();
    const bool accepted = selection.outcome == SelectionOutcome::Accepted;
    std::fprintf(out_, "%s\n", accepted ? selection.status.text.c_str() : selection.notice.c_str());
    std::fprintf(out_, "Capacity: %s MB\nBlock Size: %s Bytes\n", selection.capacity.c_str(),
                 selection.blockSize.c_str());
    std::fflush(out_);
    // A script can wait for a usable, loaded drive on the exit status.
    return accepted && selection.status.enableTapeButtons ? kExitOk : kExitFailed;
}

int DriveCommands::Format(const std::string& name) {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    return ExitFor(session_.MaintenanceFor(session_.Window()).FormatTape(name, session_.Tape()));
}

int DriveCommands::Check() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    return ExitFor(session_.MaintenanceFor(session_.Window()).CheckTape());
}

int DriveCommands::Eject() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    return ExitFor(session_.MaintenanceFor(session_.Window()).EjectTape());
}

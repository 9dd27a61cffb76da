#include "cli/CliSession.h"

#include "app/DriveInUse.h"
#include "report/MessageKind.h"
#include "scsi/DeviceSelection.h"

CliSession::CliSession(CliMessages& messages, StatusSink& status, std::string startDirectory, AdapterSetup setup)
    : Session(messages, status, setup), answers_(messages), events_(Selector(), status), context_(ContextFor(events_)) {
    Start(std::move(startDirectory));
}

DeviceSelection CliSession::ChooseDrive(int adapter, int target, bool& available) {
    const AdapterListing listing = ListAdapterEntries();
    available = listing.available;
    if (!available) {
        DeviceSelection none;
        none.notice = listing.statusText;
        return none;
    }
    // Only the drive chosen gets commands, not first the default one.
    const DeviceSelection selection = Selector().SelectDrive(adapter, target, Messages(), Status());
    events_.SetDriveSelected(true);
    return selection;
}

int CliSession::SelectDriveToWrite(int adapter, int target) {
    if (SelectDrive(adapter, target) != 0) return -1;
    Messages().ShowMessage(MessageId::CliDriveInUse, {DriveInUse(*this)});
    return 0;
}

int CliSession::SelectDrive(int adapter, int target) {
    bool available = false;
    const DeviceSelection selection = ChooseDrive(adapter, target, available);
    if (!available) {
        Messages().ShowMessage(MessageId::CliAdaptersUnavailable, {selection.notice});
        return -1;
    }
    if (!selection.status.text.empty()) Status().ShowStatus(selection.status.text);
    if (selection.outcome != SelectionOutcome::Accepted) {
        Messages().ShowFailure(MessageId::DriveNotUsable, selection.failure, {selection.notice});
        return -1;
    }
    return 0;
}

int CliSession::RequireTape(const std::string& name) {
    if (name.empty()) return 0;
    Status().ShowStatus(" Checking tape ...");
    std::string loaded, date, version;
    if (Volume().ReadIdentBlock(loaded, date, version) < 0) {
        Messages().ShowFailure(MessageId::IdentUnreadable, Volume().LastCommandFailure());
        return -1;
    }
    if (loaded == name) return 0;
    Messages().ShowMessage(MessageId::CliWrongTape, {loaded, name, name});
    events_.ShowDriveStatus();
    return -1;
}

#include "cli/CliSession.h"

#include "report/MessageKind.h"
#include "scsi/AdapterListing.h"

CliSession::CliSession(MessageSink& messages, StatusSink& status, std::string startDirectory, AdapterSetup setup)
    : Session(messages, status, setup), window_(Selector(), status), context_(ContextFor(window_)) {
    Start(std::move(startDirectory));
}

DeviceSelection CliSession::ChooseDrive(int adapter, int target, bool& available) {
    const AdapterListing listing = ListAdapters();
    available = listing.available;
    if (!available) {
        DeviceSelection none;
        none.notice = listing.statusText;
        return none;
    }
    DeviceSelection selection = listing.devices.selection;
    if (adapter >= 0) selection = Selector().SelectAdapter(adapter, Messages(), Status()).selection;
    if (target >= 0) selection = Selector().SelectDevice(target, Messages(), Status());
    window_.SetDriveSelected(true);
    return selection;
}

int CliSession::SelectDrive(int adapter, int target) {
    bool available = false;
    const DeviceSelection selection = ChooseDrive(adapter, target, available);
    if (!available) {
        Messages().ShowMessage(selection.notice, Error);
        return -1;
    }
    if (!selection.status.text.empty()) Status().ShowStatus(selection.status.text);
    if (selection.outcome != SelectionOutcome::Accepted) {
        Messages().ShowMessage(selection.notice, Error);
        return -1;
    }
    return 0;
}

#include "cli/CliSession.h"

#include "report/MessageKind.h"
#include "scsi/AdapterListing.h"

CliSession::CliSession(MessageSink& messages, StatusSink& status, std::string startDirectory, void (*setup)())
    : messages_(messages),
      status_(status),
      setup_(setup),
      startDirectory_(std::move(startDirectory)),
      dirFile_(messages),
      volume_(messages, status, counters_, selector_.Address()),
      window_(selector_, status),
      context_{volume_,  device_,  dirFile_,         selector_.Selection(), messages_,  status_,
               counters_, window_, startDirectory_, tapeName_,             dirFilePath_} {}

AdapterListing CliSession::ListAdapters() {
    if (setup_ != nullptr) {
        setup_();
        setup_ = nullptr;
    }
    return selector_.ListAdapters(messages_, status_);
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
    if (adapter >= 0) selection = selector_.SelectAdapter(adapter, messages_, status_).selection;
    if (target >= 0) selection = selector_.SelectDevice(target, messages_, status_);
    window_.SetDriveSelected(true);
    return selection;
}

int CliSession::SelectDrive(int adapter, int target) {
    bool available = false;
    const DeviceSelection selection = ChooseDrive(adapter, target, available);
    if (!available) {
        messages_.ShowMessage(selection.notice, Error);
        return -1;
    }
    if (!selection.status.text.empty()) status_.ShowStatus(selection.status.text);
    if (selection.outcome != SelectionOutcome::Accepted) {
        messages_.ShowMessage(selection.notice, Error);
        return -1;
    }
    return 0;
}

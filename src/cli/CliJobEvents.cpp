#include "cli/CliJobEvents.h"

#include "scsi/DeviceSelector.h"

CliJobEvents::CliJobEvents(DeviceSelector& selector, StatusSink& status) : selector_(selector), status_(status) {}

void CliJobEvents::ShowDriveStatus() {
    if (driveSelected_) status_.ShowStatus(selector_.ReadDriveStatus().text);
}

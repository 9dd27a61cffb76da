#include "ui/DriveStatusLine.h"

#include "scsi/DeviceSelector.h"
#include "ui/ControlId.h"
#include "ui/WindowState.h"

void DriveStatusLine::Show() { Apply(selector_.ReadDriveStatus()); }

void DriveStatusLine::Apply(const DriveStatus& status) {
    state_.statusText = status.text;
    if (!status.enableTapeButtons) return;
    for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape}) state_.Enable(id, true);
}

#include "ui/DriveStatusLine.h"

#include "report/StatusSink.h"
#include "scsi/DeviceSelector.h"
#include "ui/ControlId.h"
#include "ui/WindowState.h"

void DriveStatusLine::Show() { Apply(selector_.ReadDriveStatus()); }

void DriveStatusLine::Apply(const DriveStatus& status) {
    if (status.enableTapeButtons)
        for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape}) state_.Enable(id, true);
    shown_ = status.text;
    status_.ShowStatus(status.text);
}

void DriveStatusLine::ShowUnlessShown() {
    if (shown_.empty() || state_.statusText != shown_) Show();
}

#pragma once
// What choosing a device entry found out, for the window to show.

#include <string>

#include "report/CommandFailure.h"
#include "scsi/DriveStatus.h"
#include "scsi/SelectionOutcome.h"

struct DeviceSelection {
    SelectionOutcome outcome = SelectionOutcome::NoTapeDevice;
    std::string notice;  // empty when accepted
    std::string capacity = "n.a.";   // megabytes
    std::string blockSize = "n.a.";  // bytes
    DriveStatus status;
    // What the drive answered the mode sense that found it unusable.
    CommandFailure failure;
};

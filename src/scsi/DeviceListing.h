#pragma once
// The device list of one adapter: eight entries, one per target ID, and the
// entry chosen for it with what choosing it found.

#include <string>
#include <vector>

#include "scsi/DeviceSelection.h"

struct DeviceListing {
    std::vector<std::string> entries;  // entry t is target t
    int chosen = 0;
    DeviceSelection selection;
};

#pragma once
// The host adapter list, and the device list of its first entry.

#include <string>
#include <vector>

#include "scsi/DeviceListing.h"

struct AdapterListing {
    // false when ASPI is not usable; then only statusText is set.
    bool available = false;
    std::string statusText;
    std::vector<std::string> entries;
    // The first entry's devices (all "no device" when no adapter qualified).
    DeviceListing devices;
};

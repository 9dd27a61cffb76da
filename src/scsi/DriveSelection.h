#pragma once
// The drive every tape command goes to and what is known about it. Changed
// only by choosing an adapter or a device.

#include "scsi/DriveAddress.h"

struct DriveSelection {
    // Target 0xFF, which never answers, until a device is chosen.
    DriveAddress address{0, 0xFF, 0};
    int target = -1;
    int mediumType = 0;   // byte 1 of the last mode sense header
    int deviceType = -1;  // peripheral device type
    int blockLength = 0;  // bytes, from the last mode sense (or -1 when it failed)
};

#pragma once
// Where every command for the selected drive goes: the selected host adapter
// and target, LUN 0. Owned by the drive selection state; the tape volume and
// the jobs hold a reference, so a new selection reaches them at once.

#include "aspi/Srb.h"

struct DriveAddress {
    BYTE adapter = 0;
    BYTE target = 0;
    BYTE lun = 0;
};

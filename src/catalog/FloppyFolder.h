#pragma once
// The folder that stands for the floppy drive: $TAPEWREN_FLOPPY, or
// /media/floppy0 when that is unset or empty. A folder that does not exist is
// a drive without a disk.

#include <string>

std::string FloppyFolder();

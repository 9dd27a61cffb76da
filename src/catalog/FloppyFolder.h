#pragma once
// The folder that stands for the floppy drive: $TAPEWREN_FLOPPY, or
// /media/floppy0 when that is unset or empty. A folder that does not exist is
// a drive without a disk. A relative $TAPEWREN_FLOPPY is taken from the start
// directory, where the user started the program: the window's current
// directory is "/" by the time anything is copied.

#include <string>

std::string FloppyFolder(const std::string& startDirectory);

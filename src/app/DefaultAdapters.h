#pragma once
// The program's host adapters, as both faces install them at start: one per
// SCSI target that carries a tape drive (from the sysfs tree that
// TAPEWREN_SYSFS names, /sys when it is not set), then the iSCSI adapters of
// TAPEWREN_ISCSI, then the virtual drive. The one place that knows every
// adapter backend.

#include <string>

void InstallDefaultAdapters();

// TAPEWREN_SYSFS, or "/sys".
std::string SysfsRoot();

#pragma once
// The program's host adapters, as both faces install them at start: SCSI
// generic hosts that carry a tape drive, then the iSCSI adapters of
// TAPEWREN_ISCSI, then the virtual drive. The one place that knows every
// adapter backend.

void InstallDefaultAdapters();

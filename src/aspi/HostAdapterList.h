#pragma once
// The stand-in's configuration: the host adapters in the order ASPI numbers
// them. Installed once at program start (or by a test) before the first
// request; SendASPI32Command reads it.

#include <memory>
#include <vector>

#include "aspi/HostAdapter.h"

namespace HostAdapterList {

// Replaces the current list. Not to be called while a command is in flight.
void Install(std::vector<std::unique_ptr<HostAdapter>> adapters);
// The usual configuration: SCSI generic hosts that carry a tape drive, then
// the iSCSI adapters of TAPEWREN_ISCSI, then the virtual drive.
void InstallDefault();
int Count();
// nullptr for a number beyond the list.
HostAdapter* At(int number);

}  // namespace HostAdapterList

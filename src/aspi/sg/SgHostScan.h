#pragma once
// The tape drives the kernel knows, as ASPI host adapters, from sysfs: every
// /sys/bus/scsi/devices/H:C:T:L whose `type` is 1 (and every device that a
// /sys/class/scsi_tape entry leads to), on any channel, target and LUN.
// Each (host, channel, target) that carries a tape drive is one adapter
// whose targets 0 to 7 are its LUNs 0 to 7, whatever their device type
// (a library's changer, a bridge's controller). A tape drive at LUN 8 or
// above gets an adapter of its own with the drive at target 0, and its name
// says so. Each device is reached through its SCSI generic node
// (scsi_generic/sgM); a drive without one still shows, and its commands
// fail until the sg driver is loaded.

#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapter.h"
#include "aspi/sg/SgTransport.h"

// sysfsRoot: "/sys", or a tree laid out like it. transport null: the real
// kernel. Adapters in ascending host, channel and target.
std::vector<std::unique_ptr<HostAdapter>> CreateSgHostAdapters(const std::string& sysfsRoot,
                                                               std::shared_ptr<SgTransport> transport = nullptr);

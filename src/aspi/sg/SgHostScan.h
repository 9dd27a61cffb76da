#pragma once
// The SCSI hosts of this machine as ASPI host adapters, from sysfs:
// /sys/class/scsi_host/hostN names the hosts (proc_name, unique_id);
// /sys/bus/scsi/devices/N:0:T:0 with its `type` file and its
// scsi_generic/sgM entry gives the device at target T. Hosts without any
// device at targets 0 to 7 are left out.

#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapter.h"
#include "aspi/sg/SgTransport.h"

enum class SgHostFilter { AnyDevice, TapeDrive };

// transport null: the real kernel. Hosts in ascending host number.
std::vector<std::unique_ptr<HostAdapter>> CreateSgHostAdapters(const std::string& sysfsRoot = "/sys",
                                                               SgHostFilter filter = SgHostFilter::TapeDrive,
                                                               std::shared_ptr<SgTransport> transport = nullptr);

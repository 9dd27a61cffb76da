#include "aspi/virtual/VirtualHostAdapter.h"

#include <cstdio>

#include "aspi/ScsiExec.h"

VirtualHostAdapter::VirtualHostAdapter(std::unique_ptr<VirtualTapeDrive> drive) : drive_(std::move(drive)) {}

int VirtualHostAdapter::DeviceType(int target) { return target == kTarget ? 0x01 : -1; }

void VirtualHostAdapter::Execute(int target, ScsiExec& exec) {
    if (target != kTarget) return exec.FinishTransportError(HASTAT_SEL_TO);
    std::lock_guard<std::mutex> lock(mutex_);
    drive_->Execute(exec);
}

DriveStatistics VirtualHostAdapter::Statistics() {
    std::lock_guard<std::mutex> lock(mutex_);
    return drive_->Statistics();
}

std::unique_ptr<HostAdapter> CreateVirtualHostAdapter() {
    const VirtualTapeConfig config = VirtualTapeConfig::FromEnvironment();
    if (!config.problem.empty())
        std::fprintf(stderr,
                     "tapewren: %s. The virtual drive stays not ready until the setting is corrected or removed.\n",
                     config.problem.c_str());
    return std::make_unique<VirtualHostAdapter>(std::make_unique<VirtualTapeDrive>(config));
}

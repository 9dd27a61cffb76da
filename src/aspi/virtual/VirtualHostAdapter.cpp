#include "aspi/virtual/VirtualHostAdapter.h"

#include "aspi/ScsiExec.h"

VirtualHostAdapter::VirtualHostAdapter(std::unique_ptr<VirtualTapeDrive> drive) : drive_(std::move(drive)) {}

int VirtualHostAdapter::DeviceType(int target) { return target == kTarget ? 0x01 : -1; }

void VirtualHostAdapter::Execute(int target, ScsiExec& exec) {
    if (target != kTarget) return exec.FinishTransportError(HASTAT_SEL_TO);
    std::lock_guard<std::mutex> lock(mutex_);
    drive_->Execute(exec);
}

std::unique_ptr<HostAdapter> CreateVirtualHostAdapter() {
    return std::make_unique<VirtualHostAdapter>(
        std::make_unique<VirtualTapeDrive>(VirtualTapeConfig::FromEnvironment()));
}

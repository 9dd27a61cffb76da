#pragma once
// The always-present host adapter "VIRTUAL TAPE" with the virtual tape drive
// at target 0. Commands may arrive from any thread; one runs at a time.

#include <memory>
#include <mutex>

#include "aspi/HostAdapter.h"
#include "aspi/virtual/VirtualTapeDrive.h"

class VirtualHostAdapter : public HostAdapter {
public:
    static constexpr int kTarget = 0;

    explicit VirtualHostAdapter(std::unique_ptr<VirtualTapeDrive> drive);

    std::string Identifier() const override { return "VIRTUAL TAPE"; }
    int DeviceType(int target) override;
    void Execute(int target, ScsiExec& exec) override;

    // For tests: the drive's state between commands.
    VirtualTapeDrive& Drive() { return *drive_; }

private:
    std::mutex mutex_;
    std::unique_ptr<VirtualTapeDrive> drive_;
};

// The adapter over the cartridges that TAPEWREN_VTAPE and
// TAPEWREN_VTAPE_CAPACITY_MB name (see VirtualTapeConfig).
std::unique_ptr<HostAdapter> CreateVirtualHostAdapter();

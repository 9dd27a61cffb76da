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
    // What went through the drive so far; safe while commands run.
    DriveStatistics Statistics();

private:
    std::mutex mutex_;
    std::unique_ptr<VirtualTapeDrive> drive_;
};

// The adapter over the drive that the TAPEWREN_VTAPE* variables describe
// (see VirtualTapeConfig). A setting it cannot use is said on standard error;
// the drive then answers NOT READY until the setting is corrected.
std::unique_ptr<HostAdapter> CreateVirtualHostAdapter();

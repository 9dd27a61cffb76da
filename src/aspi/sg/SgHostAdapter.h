#pragma once
// A Linux SCSI host as an ASPI host adapter: the devices at targets 0 to 7
// (channel 0, LUN 0) with their peripheral type from sysfs, reached through
// their SCSI generic node with SG_IO. A node is opened on its first command
// and kept open; a node that has gone away is opened afresh next time.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <scsi/sg.h>

#include "aspi/HostAdapter.h"
#include "aspi/sg/SgTransport.h"

struct SgDevice {
    int type = -1;         // peripheral device type, -1 for none
    std::string node;      // "/dev/sgN"
};

class SgHostAdapter : public HostAdapter {
public:
    static constexpr int kTargets = 8;
    // Four hours: SPACE to end of data or a rewind of a long tape can take
    // that long on an old drive, and the kernel aborts the command after it.
    static constexpr unsigned kTimeoutMs = 4u * 3600u * 1000u;

    SgHostAdapter(std::string identifier, std::array<SgDevice, kTargets> devices,
                  std::shared_ptr<SgTransport> transport, unsigned timeoutMs = kTimeoutMs);
    ~SgHostAdapter() override;
    SgHostAdapter(const SgHostAdapter&) = delete;
    SgHostAdapter& operator=(const SgHostAdapter&) = delete;

    std::string Identifier() const override { return identifier_; }
    int DeviceType(int target) override;
    void Execute(int target, ScsiExec& exec) override;

    bool HasType(int type) const;

private:
    std::string identifier_;
    std::array<SgDevice, kTargets> devices_;
    std::array<int, kTargets> fds_;
    std::shared_ptr<SgTransport> transport_;
    unsigned timeoutMs_;
    std::array<std::uint8_t, 64> sense_{};
    int lastOpenError_ = 0;
};

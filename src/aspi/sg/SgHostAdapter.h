#pragma once
// One SCSI target of a Linux host (host, channel, target) that carries a
// tape drive, as an ASPI host adapter: ASPI targets 0 to 7 are the target's
// LUNs 0 to 7, each reached through its SCSI generic node with SG_IO. A
// node is opened on its first command and kept open, exclusively (O_EXCL,
// and an advisory lock for programs that look for one): a second program
// on the same drive is answered BUSY instead of moving the tape under the
// first. A node that has gone away is opened afresh next time.
//
// Standard INQUIRY data comes from the kernel's copy in sysfs, so listing
// the drives sends them nothing and still names a drive that is busy. Each
// command runs under the time limit of its kind (CommandTimeLimit).

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include <scsi/sg.h>

#include "aspi/HostAdapter.h"
#include "aspi/sg/SgTransport.h"

struct SgDevice {
    int type = -1;         // peripheral device type, -1 for none
    std::string node;      // "/dev/sgN"; empty when the sg driver has none for it
    std::string sysfs;     // the device's folder in sysfs
    std::string address;   // "H:C:T:L"
};

// Why the last command for a target could not be carried out, for a
// message that says so; error 0 when it was carried out.
struct SgProblem {
    std::string node;
    std::string address;
    std::string sysfs;
    int error = 0;            // errno of the open or of SG_IO
    unsigned hostStatus = 0;  // the kernel's host byte (DID_*) of the last command
};

class SgHostAdapter : public HostAdapter {
public:
    static constexpr int kTargets = 8;

    SgHostAdapter(std::string identifier, std::string name, std::array<SgDevice, kTargets> devices,
                  std::shared_ptr<SgTransport> transport);
    ~SgHostAdapter() override;
    SgHostAdapter(const SgHostAdapter&) = delete;
    SgHostAdapter& operator=(const SgHostAdapter&) = delete;

    std::string Identifier() const override { return identifier_; }
    std::string Name() const override { return name_; }
    int DeviceType(int target) override;
    void Execute(int target, ScsiExec& exec) override;

    SgProblem Problem(int target) const;

private:
    bool AnswerInquiry(const SgDevice& device, ScsiExec& exec);
    void Note(std::size_t target, int error, unsigned hostStatus);

    std::string identifier_;
    std::string name_;
    std::array<SgDevice, kTargets> devices_;
    std::array<int, kTargets> fds_;
    std::array<int, kTargets> errors_{};
    std::array<unsigned, kTargets> hostStatus_{};
    std::shared_ptr<SgTransport> transport_;
    std::array<std::uint8_t, 64> sense_{};
    std::array<std::uint8_t, 256> inquiry_{};
};

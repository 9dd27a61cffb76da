#pragma once
// Wraps the virtual drive's host adapter to produce the failures a real
// drive can give but an image file cannot be made to give on cue: a command
// of one opcode failing from its n-th occurrence on, an aborted request, a
// target that is not a tape drive. A hook sees each command before the drive
// does.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "aspi/HostAdapter.h"
#include "aspi/ScsiExec.h"
#include "aspi/Srb.h"

class FaultyAdapter : public HostAdapter {
public:
    enum class How { MediumError, Aborted };

    explicit FaultyAdapter(std::unique_ptr<HostAdapter> inner) : inner_(std::move(inner)) {}

    std::string Identifier() const override { return inner_->Identifier(); }
    int DeviceType(int target) override {
        const int type = inner_->DeviceType(target);
        return type >= 0 && deviceType >= 0 ? deviceType : type;
    }
    void Execute(int target, ScsiExec& exec) override {
        const std::uint8_t opcode = exec.Cdb().empty() ? 0xff : exec.Cdb()[0];
        if (beforeCommand) beforeCommand(opcode);
        if (beforeCdb) beforeCdb(exec.Cdb());
        if (opcode == failOpcode && ++seen_ >= failFrom) {
            if (how == How::Aborted) {
                exec.FinishTransportError(HASTAT_TIMEOUT, SS_ABORTED);
            } else {
                // Fixed-format sense, MEDIUM ERROR, WRITE ERROR / UNRECOVERED READ ERROR.
                std::uint8_t sense[18] = {0x70, 0, 0x03, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x0C, 0, 0, 0, 0, 0};
                if (opcode == 0x08) sense[12] = 0x11;
                exec.FinishCheckCondition(sense);
            }
            return;
        }
        inner_->Execute(target, exec);
    }

    // Fails every command with this opcode from its failFrom-th occurrence
    // (counting from 1) on; -1 for none.
    int failOpcode = -1;
    int failFrom = 1;
    How how = How::MediumError;
    // Peripheral device type to report instead of the drive's; -1 keeps it.
    int deviceType = -1;
    std::function<void(std::uint8_t opcode)> beforeCommand;
    std::function<void(std::span<const std::uint8_t> cdb)> beforeCdb;

private:
    std::unique_ptr<HostAdapter> inner_;
    int seen_ = 0;
};

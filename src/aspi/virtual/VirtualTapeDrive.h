#pragma once
// A sequential-access device over image files, answering six-byte SSC
// commands with fixed-format sense data. Starts in variable-block mode. With
// a folder of cartridges it acts as an autoloader: unloading a cartridge
// loads the next one.
//
// An image locked by another owner leaves the drive without a cartridge; its
// medium commands answer BUSY status until the lock is free (the drive tries
// again on every command), INQUIRY and MODE SENSE answer as without a
// cartridge. Not thread-safe: the host adapter serialises commands.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "aspi/ScsiExec.h"
#include "aspi/virtual/Cartridge.h"
#include "aspi/virtual/CartridgeFolder.h"
#include "aspi/virtual/FixedSense.h"
#include "aspi/virtual/VirtualTapeConfig.h"

class VirtualTapeDrive {
public:
    explicit VirtualTapeDrive(const VirtualTapeConfig& config);

    void Execute(ScsiExec& exec);

    const Cartridge* Loaded() const { return cartridge_.get(); }
    bool Busy() const { return busy_; }
    // The image loaded, or the one that is locked or missing; empty when the
    // folder holds none.
    const std::string& CurrentPath() const { return currentPath_; }
    std::uint32_t BlockLength() const { return blockLength_; }

private:
    void Load(const std::string& path);
    // False (and the command finished) when there is no cartridge to work on.
    bool Ready(ScsiExec& exec);

    void TestUnitReady(ScsiExec& exec);
    void Inquiry(ScsiExec& exec);
    void ModeSense(ScsiExec& exec);
    void ModeSelect(ScsiExec& exec);
    void ReadBlockLimits(ScsiExec& exec);
    void Rewind(ScsiExec& exec);
    void Read(ScsiExec& exec);
    void Write(ScsiExec& exec);
    void WriteFilemarks(ScsiExec& exec);
    void Space(ScsiExec& exec);
    void LoadUnload(ScsiExec& exec);

    // Finishes a transfer or movement; residue is what was asked for and not
    // done, in the command's own unit.
    static void Finish(ScsiExec& exec, const TapeOutcome& outcome, std::int64_t residue);
    static void Fail(ScsiExec& exec, const FixedSense& sense) { exec.FinishCheckCondition(sense.Bytes()); }

    VirtualTapeConfig config_;
    CartridgeFolder folder_;
    std::unique_ptr<Cartridge> cartridge_;
    std::string currentPath_;
    bool busy_ = false;
    std::uint32_t blockLength_ = 0;
    std::array<std::uint8_t, 96> inquiry_{};
};

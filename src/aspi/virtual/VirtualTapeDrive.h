#pragma once
// A sequential-access device over image files, answering six-byte SSC
// commands (and LOG SENSE) with fixed-format sense data. Starts in
// variable-block mode. With a folder of cartridges it acts as an autoloader:
// unloading a cartridge loads the next one.
//
// An image locked by another owner leaves the drive without a cartridge; its
// medium commands answer BUSY status until the lock is free (the drive tries
// again on every command), INQUIRY and MODE SENSE answer as without a
// cartridge. Not thread-safe: the host adapter serialises commands.
//
// The lto personality behaves like an LTO drive: a unit attention after
// power-on and after each load (block length back to variable, tape at its
// beginning), NOT READY while a cartridge becomes ready or waits for a LOAD,
// buffered mode as MODE SELECT sets it (unbuffered: every write is on disk
// before it completes), a partly written transfer at the end of the
// cartridge, and TapeAlert flags in LOG SENSE page 2Eh. Faults, cartridge
// kinds and statistics work in both personalities (VirtualTapeConfig.h).

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "aspi/ScsiExec.h"
#include "aspi/virtual/Cartridge.h"
#include "aspi/virtual/CartridgeFolder.h"
#include "aspi/virtual/DriveAttention.h"
#include "aspi/virtual/DriveStatistics.h"
#include "aspi/virtual/FixedSense.h"
#include "aspi/virtual/TapeAlert.h"
#include "aspi/virtual/VirtualTapeConfig.h"

class VirtualTapeDrive {
public:
    explicit VirtualTapeDrive(const VirtualTapeConfig& config);
    // Appends the statistics to the file the configuration names, if any.
    ~VirtualTapeDrive();
    VirtualTapeDrive(const VirtualTapeDrive&) = delete;
    VirtualTapeDrive& operator=(const VirtualTapeDrive&) = delete;

    void Execute(ScsiExec& exec);

    const Cartridge* Loaded() const { return cartridge_.get(); }
    bool Busy() const { return busy_; }
    // The image loaded, or the one that is locked or missing; empty when the
    // folder holds none.
    const std::string& CurrentPath() const { return currentPath_; }
    std::uint32_t BlockLength() const { return blockLength_; }
    const DriveStatistics& Statistics() const { return stats_; }
    const TapeAlert& Alerts() const { return alerts_; }
    // The setting that keeps the drive from working (it answers NOT READY
    // 04/03 then), in words; empty when there is none.
    const std::string& Problem() const { return config_.problem; }

private:
    bool Lto() const { return config_.personality == DrivePersonality::Lto; }
    void Load(const std::string& path);
    // False (and the command finished) when there is no cartridge to work on.
    bool Ready(ScsiExec& exec);
    // True when an injected fault finished the command.
    bool InjectFaults(ScsiExec& exec);
    // What a reset does: mode back to its defaults, position lost.
    void Reset();
    // The flush a real drive makes before it moves the tape away from data
    // still in its buffer.
    void FlushBeforeMoving();

    void TestUnitReady(ScsiExec& exec);
    void Inquiry(ScsiExec& exec);
    void RequestSense(ScsiExec& exec);
    void LogSense(ScsiExec& exec);
    void ModeSense(ScsiExec& exec);
    void ModeSelect(ScsiExec& exec);
    void ReadBlockLimits(ScsiExec& exec);
    void Rewind(ScsiExec& exec);
    void Read(ScsiExec& exec);
    void Write(ScsiExec& exec);
    // A refusal of what this kind of cartridge cannot do, before a write.
    std::optional<FixedSense> WriteRefusal();
    void WriteFilemarks(ScsiExec& exec);
    void Space(ScsiExec& exec);
    void LoadUnload(ScsiExec& exec);

    // Finishes a transfer or movement; residue is what was asked for and not
    // done, in the command's own unit.
    void Finish(ScsiExec& exec, const TapeOutcome& outcome, std::int64_t residue);
    // GOOD, or the warning an injected fault adds to a completed command.
    void Complete(ScsiExec& exec);
    static void Fail(ScsiExec& exec, const FixedSense& sense) { exec.FinishCheckCondition(sense.Bytes()); }

    VirtualTapeConfig config_;
    CartridgeFolder folder_;
    std::unique_ptr<Cartridge> cartridge_;
    std::string currentPath_;
    bool busy_ = false;
    std::uint32_t blockLength_ = 0;
    std::uint8_t bufferedMode_ = 1;  // lto: what MODE SELECT set; 0 = unbuffered
    std::array<std::uint8_t, 96> inquiry_{};
    DriveAttention attention_;
    TapeAlert alerts_;
    DriveStatistics stats_;
    bool unflushed_ = false;  // recorded since the last flush
    std::optional<FixedSense> completion_;
};

#pragma once
// Where the virtual drive finds its cartridges, how large they are and how
// the drive behaves. From the environment:
//   TAPEWREN_VTAPE             an image file (.tap or .aws; one cartridge, no
//                              autoloader) or a folder of cartridges; default
//                              $XDG_DATA_HOME/tapewren/tapes (~/.local/share/...)
//   TAPEWREN_VTAPE_CAPACITY_MB capacity of every cartridge in MiB, default 4096
//   TAPEWREN_VTAPE_EARLY_WARNING_KB  early-warning zone before the end of the
//                              capacity in KiB, default 1/32 of the capacity
//   TAPEWREN_VTAPE_DRIVE       plain (default) or lto: the LTO-like drive that
//                              becomes ready after a load, reports unit
//                              attentions, honours buffered mode and keeps
//                              TapeAlert flags
//   TAPEWREN_VTAPE_READY_SECONDS  (lto) seconds of NOT READY 04/01 after each
//                              load, default 5
//   TAPEWREN_VTAPE_LOAD        (lto) auto (default) or command: a cartridge
//                              answers NOT READY 04/02 until a LOAD
//   TAPEWREN_VTAPE_FAULTS      faults at chosen commands (FaultPlan.h)
//   TAPEWREN_VTAPE_CARTRIDGE   worm, encrypted or unsupported: the cartridge
//                              refuses what such a cartridge refuses
//   TAPEWREN_VTAPE_STATS       a file the drive appends its statistics to
//                              when it is destroyed
//   TAPEWREN_VTAPE_BACKHITCH_MS  milliseconds the drive sleeps per flush
//                              (what a real drive loses stopping and backing
//                              up), default 0; for benchmarks
// The capacity keeps its default on nonsense; every other setting that cannot
// be used sets `problem`, and the drive then refuses to work.

#include <cstdint>
#include <string>

#include "aspi/virtual/FaultPlan.h"
#include "aspi/virtual/TapeIndex.h"

enum class DrivePersonality { Plain, Lto };
enum class CartridgeKind { Data, Worm, Encrypted, Unsupported };

struct VirtualTapeConfig {
    static constexpr std::uint64_t kDefaultCapacityMb = 4096;
    static constexpr std::uint64_t kDefaultReadySeconds = 5;

    std::string source;
    bool sourceIsFolder = true;
    bool createFolder = false;  // only the default folder is made when missing
    std::uint64_t capacity = kDefaultCapacityMb << 20;
    // Writes that end within this many bytes of the capacity report early warning.
    std::uint64_t earlyWarning = (kDefaultCapacityMb << 20) / 32;
    // Runs of a cartridge's index held in memory at most.
    std::size_t indexRuns = TapeIndex::kDefaultRuns;

    DrivePersonality personality = DrivePersonality::Plain;
    // Lto: how long a loaded cartridge answers NOT READY, becoming ready.
    std::uint64_t readyMs = kDefaultReadySeconds * 1000;
    // Lto: a cartridge waits for a LOAD command instead of loading itself.
    bool loadCommandNeeded = false;
    CartridgeKind cartridgeKind = CartridgeKind::Data;
    FaultPlan faults;
    std::string statisticsFile;
    // Real time spent per flush (DriveStatistics::flushes); 0: none.
    std::uint64_t backHitchMs = 0;
    // A setting that could not be used, in words naming it; empty when all is well.
    std::string problem;

    static VirtualTapeConfig FromEnvironment();
    // A path ending in .tap or .aws names one image; anything else a folder.
    static bool IsImageName(const std::string& path);
    void SetCapacity(std::uint64_t bytes);
};

#pragma once
// Where the virtual drive finds its cartridges and how large they are.
//   TAPEWREN_VTAPE             an image file (.tap or .aws; one cartridge, no
//                              autoloader) or a folder of cartridges; default
//                              $XDG_DATA_HOME/tapewren/tapes (~/.local/share/...)
//   TAPEWREN_VTAPE_CAPACITY_MB capacity of every cartridge in MiB, default 4096

#include <cstdint>
#include <string>

#include "aspi/virtual/TapeIndex.h"

struct VirtualTapeConfig {
    static constexpr std::uint64_t kDefaultCapacityMb = 4096;

    std::string source;
    bool sourceIsFolder = true;
    bool createFolder = false;  // only the default folder is made when missing
    std::uint64_t capacity = kDefaultCapacityMb << 20;
    // Writes that end within this many bytes of the capacity report early warning.
    std::uint64_t earlyWarning = (kDefaultCapacityMb << 20) / 32;
    // Runs of a cartridge's index held in memory at most.
    std::size_t indexRuns = TapeIndex::kDefaultRuns;

    static VirtualTapeConfig FromEnvironment();
    // A path ending in .tap or .aws names one image; anything else a folder.
    static bool IsImageName(const std::string& path);
    void SetCapacity(std::uint64_t bytes);
};

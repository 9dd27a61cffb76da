#pragma once
// A place on a cartridge: before object `index` of run `run`. The position
// after the last run (run == run count, index 0) is end of data.

#include <cstddef>
#include <cstdint>

struct TapePosition {
    std::size_t run = 0;
    std::uint64_t index = 0;

    bool operator==(const TapePosition&) const = default;
};

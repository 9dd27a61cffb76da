#pragma once
// The program-wide job byte counters: what a job has moved so far and the
// total it expects. 64-bit, so files and selections of 2 GiB and more count
// true.

#include <cstdint>

struct ByteCounters {
    std::int64_t bytesDone = 0;
    std::int64_t bytesTotal = 0;
};

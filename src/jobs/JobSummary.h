#pragma once
// The message that ends a backup or restore: bytes moved, elapsed time and
// the two rates (whole run, and the time spent moving files).

#include <cstdint>
#include <string>

// firstLine: "Backup ended successfully!"; rateLabel: "Disk->tape rate: ".
std::string JobSummary(const char* firstLine, const char* rateLabel, std::int64_t bytes, std::int64_t elapsedSeconds,
                       std::int64_t transferSeconds);

#pragma once
// The message that ends a backup or restore: bytes moved, elapsed time and
// the two rates (whole run, and the time spent moving files).

#include <cstdint>
#include <string>

// What fills the summary messages' texts (MessageId::BackupSummary and
// RestoreSummary): bytes, duration text and the two rate texts.
struct SummaryFigures {
    std::string bytes;
    std::string time;
    std::string totalRate;
    std::string transferRate;
};
SummaryFigures JobSummaryFigures(std::int64_t bytes, std::int64_t elapsedSeconds, std::int64_t transferSeconds);

// The whole text. firstLine: "Backup ended successfully!"; rateLabel:
// "Disk->tape rate: ".
std::string JobSummary(const char* firstLine, const char* rateLabel, std::int64_t bytes, std::int64_t elapsedSeconds,
                       std::int64_t transferSeconds);

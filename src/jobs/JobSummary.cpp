#include "jobs/JobSummary.h"

#include "jobs/SummaryTexts.h"

std::string JobSummary(const char* firstLine, const char* rateLabel, std::int64_t bytes, std::int64_t elapsedSeconds,
                       std::int64_t transferSeconds) {
    std::string text(firstLine);
    text += "\nTotal size: " + std::to_string(bytes) + " Bytes";
    text += "\nTotal time: " + DurationText(elapsedSeconds);
    text += "\nTotal transfer rate: " + RateText(bytes, elapsedSeconds) + " KByte/min";
    text += "\n";
    text += rateLabel;
    text += RateText(bytes, transferSeconds) + " KByte/min";
    return text;
}

SummaryFigures JobSummaryFigures(std::int64_t bytes, std::int64_t elapsedSeconds, std::int64_t transferSeconds) {
    return {std::to_string(bytes), DurationText(elapsedSeconds), RateText(bytes, elapsedSeconds),
            RateText(bytes, transferSeconds)};
}

#pragma once
// A StatusSink for tests: records every status text and progress call.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "report/StatusSink.h"

class RecordingStatus : public StatusSink {
public:
    void ShowStatus(const std::string& text) override { statuses.push_back(text); }
    void ShowProgress(std::int64_t done, std::int64_t total) override { progress.emplace_back(done, total); }

    std::vector<std::string> statuses;
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
};

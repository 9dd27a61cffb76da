#pragma once
// The status line and the progress display at the bottom of the window.

#include <cstdint>
#include <string>

class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Sets the status line and shows it at once, even while a job keeps the
    // event loop busy.
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void ShowProgress(std::int64_t done, std::int64_t total) = 0;
};

#pragma once
// The status line and progress display on standard error. On a terminal:
// one line redrawn in place, the status text with a progress bar, bytes,
// rate and time left, at most ten times a second. Otherwise: each new status
// text as a plain line, no progress. Nothing is allocated per call once the
// first status text has been shown.

#include <chrono>
#include <cstdint>
#include <string>

#include "report/StatusSink.h"

class CliStatus : public StatusSink {
public:
    using Clock = std::chrono::steady_clock;

    // fd: where to write; terminal: redraw in place; columns: the terminal's
    // width.
    CliStatus(int fd, bool terminal, int columns);

    void ShowStatus(const std::string& text) override;
    void ShowProgress(std::int64_t done, std::int64_t total) override;

    // Clears the terminal's line so that a message can take its place; it
    // is drawn again with the next status or progress.
    void ClearLine();
    // Ends the terminal's line, leaving the last status readable.
    void Finish();

private:
    void Draw();
    void Write(const char* text, std::size_t size);

    int fd_;
    bool terminal_;
    int columns_;
    std::string given_;  // the status text as the job gave it
    std::string text_;   // as it is shown
    std::int64_t done_ = 0;
    std::int64_t total_ = 0;
    // Bytes moved since the first progress, across the restarts of the
    // display that every file of a full restore or a verify makes.
    std::int64_t moved_ = 0;
    bool started_ = false;
    bool drawn_ = false;
    Clock::time_point first_{};
    Clock::time_point lastDraw_{};
};

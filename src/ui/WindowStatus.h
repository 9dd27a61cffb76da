#pragma once
// The window's status line and progress display as the jobs and commands
// see them: each call changes the state and has the view show it at once.

#include <cstdint>
#include <string>

#include "report/StatusSink.h"

class StatusView;
struct WindowState;

class WindowStatus : public StatusSink {
public:
    explicit WindowStatus(WindowState& state) : state_(state) {}

    // May be null: then nothing is shown before the next render.
    void SetView(StatusView* view) { view_ = view; }

    void ShowStatus(const std::string& text) override;
    void ShowProgress(std::int64_t done, std::int64_t total) override;
    // The progress display as the state has it now.
    void RepaintProgress();

private:
    WindowState& state_;
    StatusView* view_ = nullptr;
};

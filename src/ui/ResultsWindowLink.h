#pragma once
// The verify results window as the verify job sees it, for a window that is
// made after the job: forwards to the window once it is linked, and does
// nothing before.

#include "jobs/VerifyResultsSink.h"

class ResultsWindowLink : public VerifyResultsSink {
public:
    void Link(VerifyResultsSink* window) { window_ = window; }

    void ShowResults() override {
        if (window_) window_->ShowResults();
    }
    void HideResults() override {
        if (window_) window_->HideResults();
    }
    void EnableButtons(bool enabled) override {
        if (window_) window_->EnableButtons(enabled);
    }
    void RepaintResults() override {
        if (window_) window_->RepaintResults();
    }

private:
    VerifyResultsSink* window_ = nullptr;
};

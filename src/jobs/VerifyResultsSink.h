#pragma once
// Where the verify job puts its result rows as it goes: the window shows
// them in its verify results window; a face without a window passes one
// that does nothing.

class VerifyResultsSink {
public:
    virtual ~VerifyResultsSink() = default;
    virtual void ShowResults() = 0;
    virtual void HideResults() = 0;
    // "OK" and "Save Results".
    virtual void EnableButtons(bool enabled) = 0;
    // Draws the rows as they are now, at once: the job keeps the event loop
    // busy.
    virtual void RepaintResults() = 0;
};

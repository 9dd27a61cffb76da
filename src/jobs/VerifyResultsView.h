#pragma once
// The verify results window as the verify job drives it. The window
// implements it; a front end without a window passes one that does nothing.

class VerifyResultsView {
public:
    virtual ~VerifyResultsView() = default;
    virtual void ShowResults() = 0;
    virtual void HideResults() = 0;
    // "OK" and "Save Results".
    virtual void EnableButtons(bool enabled) = 0;
    // Draws the rows as they are now, at once: the job keeps the event loop
    // busy.
    virtual void RepaintResults() = 0;
};

#pragma once
// The window's side of the status display: shows the state's status line or
// progress display at once. A job keeps the event loop busy, so waiting for
// the next render would show nothing until it ends.

class StatusView {
public:
    virtual ~StatusView() = default;
    // Puts the status text on screen and repaints it before returning.
    virtual void StatusChanged() = 0;
    virtual void ProgressChanged() = 0;
};

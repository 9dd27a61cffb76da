#pragma once
// What clicks in the two lists and the "All" and "None" buttons do:
// marking in the left list (bytesTotal stays the sum of the marked sizes),
// browsing the hard drive by double click, and on the Utilities tab the
// view of one directory file's contents and the way back. The window writes
// the user's selection and focus into the models before each call.

#include "report/ByteCounters.h"

class DriveBrowser;
class ListViews;
class StatusSink;
struct WindowState;

class ListHandlers {
public:
    // All belong to the window and outlive this object.
    ListHandlers(WindowState& state, StatusSink& status, ByteCounters& counters, DriveBrowser& browser,
                 ListViews& views);

    void ClickLeft();
    // Browses on the Backup tab only, where the left list is the browser.
    void DoubleClickLeft();
    // The right list carries no marks: a click changes nothing, so the
    // total of the left list's marks stays in place.
    void ClickRight() {}
    void DoubleClickRight();
    void MarkAll();
    void MarkNone();

private:
    // Enters the folder or drive of the focused row; false when the row is
    // neither (or the list has no focus).
    bool Browse(bool left);
    // bytesTotal and the progress display for the marks' new total.
    void ShowTotal(std::int64_t total);

    WindowState& state_;
    StatusSink& status_;
    ByteCounters& counters_;
    DriveBrowser& browser_;
    ListViews& views_;
};

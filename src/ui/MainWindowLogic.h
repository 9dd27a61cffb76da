#pragma once
// The main window without a toolkit: start-up, drive selection, the tab area
// and the status display. Every handler changes the WindowState; the window
// renders it afterwards. Jobs and list handlers take this object as their
// StatusSink.

#include <cstdint>
#include <string>

#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "ui/ClickGenerator.h"
#include "ui/WindowState.h"

class DeviceSelector;
struct DeviceListing;
struct DeviceSelection;
struct DriveStatus;
class ListFiller;
class StatusView;

class MainWindowLogic : public StatusSink {
public:
    // messages: the window's message dialog; selector: discovery and drive
    // status. Both must outlive this object.
    MainWindowLogic(MessageSink& messages, DeviceSelector& selector);

    WindowState& State() { return state_; }
    const WindowState& State() const { return state_; }
    ByteCounters& Counters() { return counters_; }
    ClickGenerator& Clicks() { return clicks_; }

    // May be null: then nothing is shown before the next render.
    void SetView(StatusView* view) { view_ = view; }
    // May be null: then the lists a tab shows stay empty.
    void SetListFiller(ListFiller* filler) { filler_ = filler; }

    // Start-up: remembers the current directory as the start directory,
    // makes "/" the current and the browse directory, seeds the "Click!"
    // texts, then lists the adapters and selects the first adapter's
    // highest tape drive. Returns false when the current directory cannot
    // be read or "/" cannot be entered (the window still opens).
    bool Initialise(std::uint32_t seed);

    // The user picked an adapter or device entry.
    void ChooseAdapter(int index);
    void ChooseDevice(int index);
    // The user picked a tab (ignored while the tab area is not ready).
    void ChooseTab(int tab);

    // Arranges the tab area for the selected tab and refills its lists.
    void LayoutTab();
    // Hides the tab area behind a notice; state is not Ready.
    void ShowDeviceState(TabAreaState state, const std::string& text);
    // The drive's state into the status line, without an immediate repaint.
    void ShowDriveStatus();

    void ShowStatus(const std::string& text) override;
    void ShowProgress(std::int64_t done, std::int64_t total) override;

    // What Enter presses: START on Backup, Restore and Verify, FORMAT Tape on
    // Utilities, About before any device was chosen, nothing (the device
    // combo) when the chosen device is unusable.
    static int DefaultButtonFor(TabAreaState area, int tab);

private:
    void ListAdapters();
    void ApplyDevices(const DeviceListing& listing);
    void ApplySelection(const DeviceSelection& selection);
    void ApplyDriveStatus(const DriveStatus& status);
    void FillList(ListModel& list, int role, bool left);

    MessageSink& messages_;
    DeviceSelector& selector_;
    StatusView* view_ = nullptr;
    ListFiller* filler_ = nullptr;
    WindowState state_;
    ByteCounters counters_;
    ClickGenerator clicks_{0};
};

#pragma once
// The main window's start-up, drive choice and tab area, without a toolkit:
// lists the adapters, shows what choosing an adapter or device found out,
// and arranges the tab area for the selected tab. A layout empties the lists
// it shows; the calls that lay the tab area out return true, and the caller
// then fills the lists the layout names (ListViews::FillForTab).

#include <string>

#include "ui/TabAreaState.h"

class DriveStatusLine;
class Session;
class WindowStatus;
struct DeviceListing;
struct DeviceSelection;
struct WindowState;

class MainWindowLogic {
public:
    // All belong to the window and outlive this object.
    MainWindowLogic(WindowState& state, WindowStatus& status, DriveStatusLine& driveStatus, Session& session);

    // Start-up, once the session has its start directory: the Backup tab
    // behind the starting notice, no bytes counted; then lists the adapters
    // and selects the first adapter's highest tape drive.
    bool Start();

    // The user picked an adapter or device entry.
    bool ChooseAdapter(int index);
    bool ChooseDevice(int index);
    // The user picked a tab (ignored while the tab area is not ready).
    bool ChooseTab(int tab);

    // Arranges the tab area for the selected tab and empties its lists.
    void LayoutTab();
    // Hides the tab area behind a notice; state is not Ready.
    void ShowDeviceState(TabAreaState state, const std::string& text);

    // What Enter presses: START on Backup, Restore and Verify, FORMAT Tape on
    // Utilities, About before any device was chosen, nothing (the device
    // combo) when the chosen device is unusable.
    static int DefaultButtonFor(TabAreaState area, int tab);

private:
    bool ApplyDevices(const DeviceListing& listing);
    bool ApplySelection(const DeviceSelection& selection);

    WindowState& state_;
    WindowStatus& status_;
    DriveStatusLine& driveStatus_;
    Session& session_;
};

#pragma once
// The drive's state in the status line, as every command of the window ends:
// a status query of the selected drive. A drive that answers ready enables
// the tape buttons again; the line is shown with the next render.

class DeviceSelector;
struct DriveStatus;
struct WindowState;

class DriveStatusLine {
public:
    DriveStatusLine(WindowState& state, DeviceSelector& selector) : state_(state), selector_(selector) {}

    // Asks the drive.
    void Show();
    // A state already read, as the device choice returns it.
    void Apply(const DriveStatus& status);

private:
    WindowState& state_;
    DeviceSelector& selector_;
};

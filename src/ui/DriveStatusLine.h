#pragma once
// The drive's state in the status line, as every command of the window ends:
// a status query of the selected drive. A drive that answers ready enables
// the tape buttons again. The line is shown at once, like every status text:
// a job's last step must not stand behind the message that ends it.

class DeviceSelector;
class StatusSink;
struct DriveStatus;
struct WindowState;

class DriveStatusLine {
public:
    DriveStatusLine(WindowState& state, DeviceSelector& selector, StatusSink& status)
        : state_(state), selector_(selector), status_(status) {}

    // Asks the drive.
    void Show();
    // A state already read, as the device choice returns it.
    void Apply(const DriveStatus& status);

private:
    WindowState& state_;
    DeviceSelector& selector_;
    StatusSink& status_;
};

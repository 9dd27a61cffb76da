#pragma once
// The drive's state in the status line, as every command of the window ends:
// a status query of the selected drive. A drive that answers ready enables
// the tape buttons again. The line is shown at once, like every status text:
// a job's last step must not stand behind the message that ends it.

#include <string>

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
    // The status line ends every command with the drive's state: asks the
    // drive unless the line shows what it answered last already (a step
    // of a command that failed half-way must not stand there).
    void ShowUnlessShown();

private:
    std::string shown_;
    WindowState& state_;
    DeviceSelector& selector_;
    StatusSink& status_;
};

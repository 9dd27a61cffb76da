#pragma once
// What the tape maintenance commands need from the window that runs them:
// the drive's state in the status line, and the list of directory files
// shown again after a format.

class MaintenanceHost {
public:
    virtual ~MaintenanceHost() = default;
    virtual void ShowDriveStatus() = 0;
    virtual void ShowDirectoryFiles() = 0;
};

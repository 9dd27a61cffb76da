#pragma once
// The window as the tape maintenance commands, the rebuild and the floppy
// copies see it: the drive's state in the status line, and the list of
// directory files shown again.

#include "jobs/MaintenanceHost.h"

class DriveStatusLine;
class ListViews;

class WindowHost : public MaintenanceHost {
public:
    WindowHost(DriveStatusLine& driveStatus, ListViews& views) : driveStatus_(driveStatus), views_(views) {}

    void ShowDriveStatus() override;
    void ShowDirectoryFiles() override;

private:
    DriveStatusLine& driveStatus_;
    ListViews& views_;
};

#pragma once
// What a job tells the command line while it runs, besides messages: only
// the drive's state matters (it goes to the status display once a drive
// has been selected); there are no lists to redraw.

#include <string>

#include "jobs/JobEvents.h"
#include "jobs/MaintenanceHost.h"
#include "report/StatusSink.h"

class DeviceSelector;

class CliJobEvents : public JobEvents, public MaintenanceHost {
public:
    CliJobEvents(DeviceSelector& selector, StatusSink& status);

    void SetDriveSelected(bool selected) { driveSelected_ = selected; }

    void CatalogChanged(const std::string&) override {}
    void TargetFolderChanged() override {}
    void ShowDriveStatus() override;
    void ClearByteLabel() override {}
    void ShowDirectoryFiles() override {}

private:
    DeviceSelector& selector_;
    StatusSink& status_;
    bool driveSelected_ = false;
};

#pragma once
// The window as the jobs see it, for a run of tapewren-cli: the left list
// holds the browsed folder (backup) or the tape's catalog (restore, verify)
// with the rows the command line named marked; the browsed folder is the
// folder the files come from or go to. There are no lists to redraw. The
// drive's state goes to the status display once a drive has been selected.

#include <string>

#include "jobs/JobWindow.h"
#include "jobs/MaintenanceHost.h"
#include "lists/ListModel.h"
#include "report/StatusSink.h"

class DeviceSelector;

class CliJobWindow : public JobWindow, public MaintenanceHost {
public:
    CliJobWindow(DeviceSelector& selector, StatusSink& status);

    ListModel& Left() { return left_; }
    // folder: absolute; a "/" is added when it lacks one.
    void SetFolder(std::string folder);
    void SetDriveSelected(bool selected) { driveSelected_ = selected; }

    int RowCount() override;
    int CountMarked(int image) override;
    void NthMarkedName(int image, int k, std::string& name) override;
    int IsMarkedAt(int image, int row) override;
    std::string CurrentPath() override { return folder_; }
    void ListTapeDirectory(const std::string&) override {}
    void RefillTargetFolder() override {}
    void ShowDriveStatus() override;
    void ClearByteLabel() override {}
    void ShowDirectoryFiles() override {}

    // The catalog entry (from 1) of the last marked row a job asked about:
    // the file record it works on; 0 before any.
    int CurrentRecord() const { return lastMarkedRow_ + 1; }

private:
    DeviceSelector& selector_;
    StatusSink& status_;
    ListModel left_;
    std::string folder_ = "/";
    bool driveSelected_ = false;
    int lastMarkedRow_ = -1;
};

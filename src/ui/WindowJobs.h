#pragma once
// The jobs behind START as the main window runs them: the request from the
// marks in its left list and the browsed folder, the job chosen by the
// selected tab, and the window's lists redrawn when a job says so.

#include <functional>
#include <string>

#include "jobs/BackupJob.h"
#include "jobs/JobContext.h"
#include "jobs/JobEvents.h"
#include "jobs/RestoreJob.h"
#include "jobs/VerifyJob.h"
#include "ui/WindowState.h"

class DirFileLister;
class DriveBrowser;
class DriveStatusLine;
class Session;
class VerifyResults;
class VerifyResultsSink;

class WindowJobs : public JobEvents {
public:
    // results and view: the results window's rows and the window. All must
    // outlive this object.
    WindowJobs(WindowState& state, Session& session, DriveBrowser& browser, DirFileLister& lister,
               DriveStatusLine& driveStatus, VerifyResults& results, VerifyResultsSink& view);

    // START: backup on the Backup tab, restore on Restore, verify on Verify,
    // nothing (Done) on any other.
    JobResult StartCommand();

    // Draws the right list at once (a job keeps the event loop busy).
    void SetListRepaint(std::function<void()> repaint) { repaintLists_ = std::move(repaint); }

    void CatalogChanged(const std::string& path) override;
    void TargetFolderChanged() override;
    void ShowDriveStatus() override;
    void ClearByteLabel() override;

private:
    WindowState& state_;
    DriveBrowser& browser_;
    DirFileLister& lister_;
    DriveStatusLine& driveStatus_;
    JobContext context_;
    BackupJob backup_;
    RestoreJob restore_;
    VerifyJob verify_;
    std::function<void()> repaintLists_;
};

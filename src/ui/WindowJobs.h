#pragma once
// The jobs behind START as the main window runs them: the window's lists,
// browser and catalog listing stand in for what the jobs ask of a window.

#include <functional>
#include <string>

#include "jobs/JobCommands.h"
#include "jobs/JobContext.h"
#include "jobs/JobWindow.h"
#include "ui/WindowState.h"

class DirFileLister;
class DriveBrowser;
class DriveStatusLine;
class Session;
class VerifyResults;
class VerifyResultsView;

class WindowJobs : public JobWindow {
public:
    // results and view: the results window's rows and the window. All must
    // outlive this object.
    WindowJobs(WindowState& state, Session& session, DriveBrowser& browser, DirFileLister& lister,
               DriveStatusLine& driveStatus, VerifyResults& results, VerifyResultsView& view);

    // START: the job of the selected tab; returns what the job returns.
    auto StartCommand() { return jobs_.StartCommand(state_.tab); }

    // Draws the right list at once (a job keeps the event loop busy).
    void SetListRepaint(std::function<void()> repaint) { repaintLists_ = std::move(repaint); }

    int RowCount() override;
    int CountMarked(int image) override;
    void NthMarkedName(int image, int k, std::string& name) override;
    int IsMarkedAt(int image, int row) override;
    std::string CurrentPath() override;
    void ListTapeDirectory(const std::string& path) override;
    void RefillTargetFolder() override;
    void ShowDriveStatus() override;
    void ClearByteLabel() override;

private:
    WindowState& state_;
    DriveBrowser& browser_;
    DirFileLister& lister_;
    DriveStatusLine& driveStatus_;
    JobContext context_;
    JobCommands jobs_;
    std::function<void()> repaintLists_;
};

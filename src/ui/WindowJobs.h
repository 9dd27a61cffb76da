#pragma once
// The jobs behind START as the main window runs them: the window's lists,
// browser, catalog and tape stand in for what the jobs ask of a window, and
// the verify results live here for the window's life.

#include <functional>
#include <string>

#include "jobs/JobCommands.h"
#include "jobs/JobContext.h"
#include "jobs/JobWindow.h"
#include "jobs/VerifyResults.h"
#include "jobs/VerifyResultsView.h"
#include "report/MessageSink.h"
#include "scsi/DriveSelection.h"

class MainWindowLogic;
class ScsiDevice;
class WindowCommands;

class WindowJobs : public JobWindow {
public:
    // messages: the window's message dialog; device: the window's
    // ScsiDevice, which rewinds and spaces; drive: the selector's state;
    // results and view: the results window's rows and the window. All must
    // outlive this object.
    WindowJobs(MainWindowLogic& window, WindowCommands& commands, MessageSink& messages, ScsiDevice& device,
               const DriveSelection& drive, VerifyResults& results, VerifyResultsView& view);

    // START: the job of the selected tab.
    void StartCommand();

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
    MainWindowLogic& window_;
    WindowCommands& commands_;
    JobContext context_;
    JobCommands jobs_;
    std::function<void()> repaintLists_;
};

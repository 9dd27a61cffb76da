#include "ui/WindowJobs.h"

#include "lists/MarkedRows.h"
#include "app/DriveBrowser.h"
#include "ui/MainWindowLogic.h"
#include "ui/WindowCommands.h"

WindowJobs::WindowJobs(MainWindowLogic& window, WindowCommands& commands, MessageSink& messages,
                       ScsiDevice& device, const DriveSelection& drive, VerifyResults& results,
                       VerifyResultsView& view)
    : window_(window),
      commands_(commands),
      context_{commands.Tape(),
               device,
               commands.Catalog(),
               drive,
               messages,
               window,
               window.Counters(),
               *this,
               window.State().startDirectory,
               window.State().currentTapeName,
               window.State().currentDirFilePath},
      jobs_(context_, results, view) {}

void WindowJobs::StartCommand() { jobs_.StartCommand(window_.State().tab); }

int WindowJobs::RowCount() { return static_cast<int>(window_.State().leftList.RowCount()); }

int WindowJobs::CountMarked(int image) { return MarkedRows::Count(window_.State().leftList, image); }

void WindowJobs::NthMarkedName(int image, int k, std::string& name) {
    MarkedRows::NthName(window_.State().leftList, image, k, name);
}

int WindowJobs::IsMarkedAt(int image, int row) { return MarkedRows::IsMarkedAt(window_.State().leftList, image, row); }

std::string WindowJobs::CurrentPath() { return commands_.Browser().CurrentPath(); }

void WindowJobs::ListTapeDirectory(const std::string& path) {
    commands_.Lister().ListDirFile(window_.State().rightList, path, false);
}

void WindowJobs::RefillTargetFolder() {
    // A copy: Fill sets the path it is handed.
    const std::string folder = commands_.Browser().CurrentPath();
    commands_.Browser().Fill(window_.State().rightList, folder, "*.*");
    if (repaintLists_) repaintLists_();
}

void WindowJobs::ShowDriveStatus() { window_.ShowDriveStatus(); }

void WindowJobs::ClearByteLabel() { window_.State().byteLabel.clear(); }

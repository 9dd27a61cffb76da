#include "ui/WindowJobs.h"

#include "app/DriveBrowser.h"
#include "app/Session.h"
#include "catalog/DirFileLister.h"
#include "lists/MarkedRows.h"
#include "ui/DriveStatusLine.h"
#include "ui/WindowState.h"

WindowJobs::WindowJobs(WindowState& state, Session& session, DriveBrowser& browser, DirFileLister& lister,
                       DriveStatusLine& driveStatus, VerifyResults& results, VerifyResultsView& view)
    : state_(state),
      browser_(browser),
      lister_(lister),
      driveStatus_(driveStatus),
      context_(session.ContextFor(*this)),
      jobs_(context_, results, view) {}

int WindowJobs::RowCount() { return static_cast<int>(state_.leftList.RowCount()); }

int WindowJobs::CountMarked(int image) { return MarkedRows::Count(state_.leftList, image); }

void WindowJobs::NthMarkedName(int image, int k, std::string& name) {
    MarkedRows::NthName(state_.leftList, image, k, name);
}

int WindowJobs::IsMarkedAt(int image, int row) { return MarkedRows::IsMarkedAt(state_.leftList, image, row); }

std::string WindowJobs::CurrentPath() { return browser_.CurrentPath(); }

void WindowJobs::ListTapeDirectory(const std::string& path) { lister_.ListDirFile(state_.rightList, path, false); }

void WindowJobs::RefillTargetFolder() {
    // A copy: Fill sets the path it is handed.
    const std::string folder = browser_.CurrentPath();
    browser_.Fill(state_.rightList, folder, "*.*");
    if (repaintLists_) repaintLists_();
}

void WindowJobs::ShowDriveStatus() { driveStatus_.Show(); }

void WindowJobs::ClearByteLabel() { state_.byteLabel.clear(); }

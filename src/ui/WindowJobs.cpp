#include "ui/WindowJobs.h"

#include "app/DriveBrowser.h"
#include "app/Session.h"
#include "catalog/DirFileLister.h"
#include "lists/Tab.h"
#include "ui/DriveStatusLine.h"
#include "ui/MarkedRequests.h"
#include "ui/WindowState.h"

WindowJobs::WindowJobs(WindowState& state, Session& session, DriveBrowser& browser, DirFileLister& lister,
                       DriveStatusLine& driveStatus, VerifyResults& results, VerifyResultsSink& view)
    : state_(state),
      browser_(browser),
      lister_(lister),
      driveStatus_(driveStatus),
      context_(session.ContextFor(*this)),
      backup_(context_),
      restore_(context_),
      verify_(context_, results, view) {}

JobResult WindowJobs::StartCommand() {
    switch (state_.tab) {
    case kBackupTab:
        return backup_.Run(MarkedRequests::Backup(state_.leftList, browser_.CurrentPath())).result;
    case kRestoreTab:
        return restore_.Run(MarkedRequests::Restore(state_.leftList, browser_.CurrentPath())).result;
    case kVerifyTab:
        return verify_.Run(MarkedRequests::Verify(state_.leftList, browser_.CurrentPath())).result;
    default:
        return JobResult::Done;
    }
}

void WindowJobs::CatalogChanged(const std::string& path) {
    lister_.ListDirFile(state_.rightList, path, false);
    // The rows just written are the last: the focus on the last row brings
    // them into view, and they stand there before the job's summary comes up.
    if (const std::size_t rows = state_.rightList.RowCount(); rows > 0)
        state_.rightList.SetSelection({}, static_cast<std::ptrdiff_t>(rows - 1));
    if (repaintLists_) repaintLists_();
}

void WindowJobs::TargetFolderChanged() {
    // A copy: Fill sets the path it is handed.
    const std::string folder = browser_.CurrentPath();
    browser_.Fill(state_.rightList, folder, "*.*");
    if (repaintLists_) repaintLists_();
}

void WindowJobs::ShowDriveStatus() { driveStatus_.Show(); }

void WindowJobs::ClearByteLabel() { state_.byteLabel.clear(); }

#include "ui/DirTapeCommand.h"

#include "app/Session.h"
#include "catalog/DirFilePath.h"
#include "report/MessageKind.h"
#include "ui/DriveStatusLine.h"
#include "ui/ListViews.h"

DirTapeCommand::DirTapeCommand(Session& session, MessageSink& messages, StatusSink& status, ListViews& views,
                               DriveStatusLine& driveStatus)
    : session_(session), messages_(messages), status_(status), views_(views), driveStatus_(driveStatus) {}

void DirTapeCommand::Run(bool leftSide) {
    std::string& tapeName = session_.CurrentTapeName();
    std::string& path = session_.CurrentDirFilePath();
    status_.ShowStatus(" Reading tape directory...");

    std::string date, version;
    if (session_.Volume().ReadIdentBlock(tapeName, date, version) < 0) {
        messages_.ShowMessage("Error reading IdentBlock from tape", Error);
        return;
    }
    // The name comes from the tape: one that would lead out of the start
    // directory is not used as a path, and the previous tape's catalog is
    // not this tape's.
    if (DirFilePath(session_.StartDirectory(), tapeName, path) != 0) {
        path.clear();
        messages_.ShowMessage("Error: tape name '" + tapeName + "' cannot name a DirFile on hard drive", Error);
        return;
    }

    std::string fileTapeName, fileDate, fileVersion;
    const int identResult = session_.Catalog().ReadIdent(path, fileTapeName, fileDate, fileVersion);
    if (identResult == -2) {
        messages_.ShowMessage("Error: DirFile not found on hard drive. \nYou can make or import a DirFile on the "
                              "Utilities tab.",
                              Error);
        path.clear();
        return;
    }
    if (identResult != 0) {
        messages_.ShowMessage("Error reading IdentBlock from hard drive", Error);
        return;
    }
    if (tapeName != fileTapeName || date != fileDate) {
        messages_.ShowMessage(leftSide ? "Error: DirFile on hard drive and tape contents do not match. \nCheck "
                                         "that on the Utilities tab."
                                       : "Error: DirFile on hard drive and tape contents do not match.\nCheck "
                                         "that on the Utilities tab.",
                              Error);
        return;
    }

    views_.ShowTapeCatalog(leftSide);
    if (leftSide) {
        // The refill dropped the marks, so their total goes with them.
        session_.Counters().bytesTotal = 0;
        status_.ShowProgress(0, 0);
    }
    driveStatus_.Show();
}

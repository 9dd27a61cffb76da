#include "ui/DirTapeCommand.h"

#include "app/Session.h"
#include "jobs/TapeCatalogMatch.h"
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

    TapeCatalogMatch check(session_.Volume(), session_.Catalog());
    const TapeMatch match = check.Check(session_.StartDirectory(), tapeName, path);
    if (match != TapeMatch::Matches) {
        Message message = TapeCatalogMatch::MatchMessage(match, tapeName, true, leftSide);
        // What the drive said, so that the failure can be explained.
        if (MessageInfo(message.id).reportsTapeCommand) message.failure = session_.Volume().LastCommandFailure();
        messages_.Show(message);
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

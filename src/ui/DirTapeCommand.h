#pragma once
// "Dir Tape": reads the inserted tape's ident block, finds its directory
// file in the start directory, checks that the two belong together (same
// tape name and date of formatting), makes the tape the current one and
// lists its catalog. The right button serves the Backup tab (right list,
// label cut at 35 characters), the left one Restore and Verify (left list,
// cut at 25). Every failure leaves list and label as they were; a tape whose
// name cannot name a directory file leaves no catalog current, as a tape
// whose directory file is not found.

class DriveStatusLine;
class ListViews;
class MessageSink;
class Session;
class StatusSink;

class DirTapeCommand {
public:
    // All belong to the window and outlive this object.
    DirTapeCommand(Session& session, MessageSink& messages, StatusSink& status, ListViews& views,
                   DriveStatusLine& driveStatus);

    void Run(bool leftSide);

private:
    Session& session_;
    MessageSink& messages_;
    StatusSink& status_;
    ListViews& views_;
    DriveStatusLine& driveStatus_;
};

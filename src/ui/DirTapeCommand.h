#pragma once
// "Dir Tape": reads the inserted tape's ident block, finds its directory
// file in the start directory, checks that the two belong together (same
// tape name and date of formatting), makes the tape the current one and
// lists its catalog. The right button serves the Backup tab (right list,
// label cut at 35 characters), the left one Restore and Verify (left list,
// cut at 25). Every failure leaves list and label as they were.

class DirFile;
class DirFileLister;
class MainWindowLogic;
class MessageSink;
class TapeVolume;

class DirTapeCommand {
public:
    // All belong to the window and outlive this object.
    DirTapeCommand(MainWindowLogic& window, MessageSink& messages, TapeVolume& tape, DirFile& dirFile,
                   DirFileLister& lister);

    void Run(bool leftSide);

private:
    MainWindowLogic& window_;
    MessageSink& messages_;
    TapeVolume& tape_;
    DirFile& dirFile_;
    DirFileLister& lister_;
};

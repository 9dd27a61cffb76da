#pragma once
// The Utilities tab's catalog commands, without a toolkit: "Create Directory
// File from Tape Contents" (1046), "Export Directory File to Floppy" (1047)
// and what follows the Copy From Floppy dialog of "Import Directory File
// from Floppy" (1043). They work with the window's long-lived objects
// (WindowCommands) and report through the window's message sink.

#include "report/MessageSink.h"
#include "scsi/DriveAddress.h"

class MainWindowLogic;
class ScsiDevice;
class WindowCommands;

class UtilityCommands {
public:
    // device: the window's ScsiDevice, which rewinds and spaces; drive: the
    // selected drive. All must outlive this object.
    UtilityCommands(MainWindowLogic& window, WindowCommands& commands, MessageSink& messages, ScsiDevice& device,
                    const DriveAddress& drive);

    void CreateDirFileFromTape();
    void ExportToFloppy();
    // The dialog has closed, by OK or Cancel: the list of directory files
    // shows what was imported, and the drive's state the status line.
    void ImportFinished();

private:
    MainWindowLogic& window_;
    WindowCommands& commands_;
    MessageSink& messages_;
    ScsiDevice& device_;
    const DriveAddress& drive_;
};

#pragma once
// The Utilities tab's catalog commands, without a toolkit: "Create Directory
// File from Tape Contents" (1046), "Export Directory File to Floppy" (1047)
// and what follows the Copy From Floppy dialog of "Import Directory File
// from Floppy" (1043).

#include <string>
#include <vector>

#include "jobs/JobResult.h"

class MaintenanceHost;
class MessageSink;
class Session;
class StatusSink;
struct WindowState;

class UtilityCommands {
public:
    // All belong to the window and outlive this object.
    UtilityCommands(WindowState& state, Session& session, MessageSink& messages, StatusSink& status,
                    MaintenanceHost& host);

    // What the rebuild and the export did.
    JobResult CreateDirFileFromTape();
    JobResult ExportToFloppy();
    // The dialog has closed, by OK or Cancel: says what was copied from
    // folder (names), the list of directory files shows it, and the drive's
    // state the status line.
    void ImportFinished(const std::string& folder, const std::vector<std::string>& names);

private:
    WindowState& state_;
    Session& session_;
    MessageSink& messages_;
    StatusSink& status_;
    MaintenanceHost& host_;
};

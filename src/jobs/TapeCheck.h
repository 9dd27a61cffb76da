#pragma once
// The check every job starts with: rewind, read the ident block, find the
// tape's directory file in the start directory and require its tape name
// and date of formatting to be the tape's. Shows the failure's message
// itself (and the drive's state where the jobs want it).

#include <string>

#include "jobs/JobContext.h"

class TapeCheck {
public:
    // The not-found message differs between backup and restore/verify by one
    // blank before the line break.
    static constexpr const char* kBackupNotFound =
        "Error: DirFile not found on hard drive.\nYou can make or import a DirFile on the Utilities tab.";
    static constexpr const char* kReadNotFound =
        "Error: DirFile not found on hard drive. \nYou can make or import a DirFile on the Utilities tab.";

    explicit TapeCheck(JobContext& context);

    // 0 when the tape and context.currentDirFilePath's catalog belong
    // together; -1 after the failure's message.
    int Run(const char* notFoundMessage);

private:
    int Fail(const char* message, bool driveStatus);

    JobContext& c_;
    std::string date_;
    std::string version_;
    std::string fileTapeName_;
    std::string fileDate_;
    std::string fileVersion_;
};

#pragma once
// "Create Directory File from Tape Contents": reads the inserted tape from
// its start and writes a new directory file for it in the start directory,
// the header from the ident block and one entry per file record, in tape
// order, every field as the record's header block holds it. The end of the
// tape's contents is wherever spacing or reading a header first fails. No
// limit on the number of entries.

#include <string>

#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"

class DirFile;
class MaintenanceHost;
class ScsiDevice;
class TapeVolume;

class RebuildDirFile {
public:
    // Results of Run.
    static constexpr int kFinished = 0;
    static constexpr int kFailed = -1;    // an Error message was shown
    static constexpr int kDeclined = -2;  // a question was answered with Cancel

    // device: rewinds and spaces; volume: reads the ident block and headers.
    RebuildDirFile(MessageSink& messages, StatusSink& status, ScsiDevice& device, const DriveAddress& drive,
                   TapeVolume& volume, DirFile& dirFile);

    // host: the drive's state after the run, the list of directory files
    // shown again after a finished one.
    int Run(const std::string& startDirectory, MaintenanceHost& host);

    // The path of the directory file the last run wrote or meant to write.
    const std::string& Path() const { return path_; }

private:
    int Fail(const std::string& text, MaintenanceHost& host);

    MessageSink& messages_;
    StatusSink& status_;
    ScsiDevice& device_;
    const DriveAddress& drive_;
    TapeVolume& volume_;
    DirFile& dirFile_;
    std::string path_;
};

#pragma once
// "Create Directory File from Tape Contents": reads the inserted tape from
// its start and writes a new directory file for it in the start directory,
// the header from the ident block and one entry per whole file record, in
// tape order, every field as the record's header block holds it. A damaged
// record costs only itself: it is reported with its number, left out, and
// the tape read on from its filemark. A record that runs into the end of
// data (a backup that did not end) is left out too, so that the next backup
// writes over it. No limit on the number of entries.

#include <string>

#include "jobs/JobResult.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"

class DirFile;
class MaintenanceHost;
class ScsiDevice;
class TapeVolume;

class RebuildDirFile {
public:
    // device: rewinds and spaces; volume: reads the ident block and headers.
    RebuildDirFile(MessageSink& messages, StatusSink& status, ScsiDevice& device, const DriveAddress& drive,
                   TapeVolume& volume, DirFile& dirFile);

    // host: the drive's state after the run, the list of directory files
    // shown again after a finished one. Failed also when damaged records
    // were left out.
    JobResult Run(const std::string& startDirectory, MaintenanceHost& host);

    // The path of the directory file the last run wrote or meant to write.
    const std::string& Path() const { return path_; }

private:
    JobResult Fail(const std::string& text, MaintenanceHost& host);

    MessageSink& messages_;
    StatusSink& status_;
    ScsiDevice& device_;
    const DriveAddress& drive_;
    TapeVolume& volume_;
    DirFile& dirFile_;
    std::string path_;
};

#pragma once
// The commands that work on a tape as a whole: FORMAT Tape (ident block and
// an empty directory file), Check Currently Inserted Tape (what its ident
// block says) and Eject Tape. Each ends with the drive's state in the status
// line; results reach the user as messages, and the front end as a
// JobResult.

#include <string>

#include "jobs/JobResult.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"

class DirFile;
class MaintenanceHost;
class ScsiDevice;
class TapeVolume;

// The window's texts that name the current tape; format changes them.
struct CurrentTape {
    const std::string& startDirectory;
    std::string& tapeName;
    std::string& dirFilePath;
};

class TapeMaintenance {
public:
    // All must outlive this object; device and drive: the window's own
    // device and the selected drive, for the eject.
    TapeMaintenance(MessageSink& messages, StatusSink& status, MaintenanceHost& host, TapeVolume& tape,
                    DirFile& dirFile, ScsiDevice& device, const DriveAddress& drive);

    // newName: the text of "Name of new tape:". A name that would take the
    // directory file out of the start directory ("/", ".", "..") is refused
    // before anything is asked or written.
    JobResult FormatTape(const std::string& newName, CurrentTape current);
    JobResult CheckTape();
    // A failure (a cartridge that another program holds cannot be taken
    // out) shows in the drive's state that follows.
    JobResult EjectTape();

private:
    MessageSink& messages_;
    StatusSink& status_;
    MaintenanceHost& host_;
    TapeVolume& tape_;
    DirFile& dirFile_;
    ScsiDevice& device_;
    const DriveAddress& drive_;
};

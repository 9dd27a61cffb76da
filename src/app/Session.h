#pragma once
// What the program works with while it runs, the same for the window and the
// command line: the ScsiDevice for discovery, status, rewinding, spacing and
// ejecting with the drive selection, the TapeVolume in the selected drive,
// the DirFile, the byte counters, the start directory and the texts that
// name the current tape. Hands the jobs, the tape maintenance and the
// rebuild their context, so both faces run them over the same objects.

#include <string>

#include "catalog/DirFile.h"
#include "jobs/JobContext.h"
#include "jobs/RebuildDirFile.h"
#include "jobs/StopRequest.h"
#include "jobs/TapeMaintenance.h"
#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DeviceSelection.h"
#include "scsi/DeviceSelector.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

class JobEvents;
class MaintenanceHost;

class Session {
public:
    // Installs the host adapters.
    using AdapterSetup = void (*)();

    // messages: the tape's, the catalog's and the device choice's; status:
    // the status display. Both must outlive the session and are not used
    // while it is built. setup runs before the first adapter listing, so a
    // command that needs no drive touches none; null when the adapters are
    // installed already.
    Session(MessageSink& messages, StatusSink& status, AdapterSetup setup = nullptr);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Directory files live in startDirectory. No tape is current yet.
    void Start(std::string startDirectory);
    // Lists the adapters and chooses the first entry's highest tape drive.
    AdapterListing ListAdapters();
    // Only the adapter entries: no drive gets a command.
    AdapterListing ListAdapterEntries();

    MessageSink& Messages() { return messages_; }
    StatusSink& Status() { return status_; }
    ScsiDevice& Device() { return device_; }
    DeviceSelector& Selector() { return selector_; }
    TapeVolume& Volume() { return volume_; }
    DirFile& Catalog() { return dirFile_; }
    ByteCounters& Counters() { return counters_; }
    // What the jobs read between files; a face sets it while one runs.
    StopRequest& Stop() { return stop_; }
    const std::string& StartDirectory() const { return startDirectory_; }
    // Set from the ident block of a tape that was read; the path is empty
    // while that tape's directory file is not found.
    std::string& CurrentTapeName() { return tapeName_; }
    std::string& CurrentDirFilePath() { return dirFilePath_; }

    // The jobs' context; window: the face's lists and folder, which must
    // outlive what the context is handed to.
    JobContext ContextFor(JobEvents& events);
    // Format, check and eject; host: the face's drive state and list of
    // directory files.
    TapeMaintenance MaintenanceFor(MaintenanceHost& host);
    // What format changes: the current tape's texts.
    CurrentTape Tape() { return {startDirectory_, tapeName_, dirFilePath_}; }
    // "Create Directory File from Tape Contents".
    RebuildDirFile Rebuild();

private:
    void InstallAdapters();

    MessageSink& messages_;
    StatusSink& status_;
    AdapterSetup setup_;
    std::string startDirectory_;
    std::string tapeName_;
    std::string dirFilePath_;
    ScsiDevice device_;
    DeviceSelector selector_{device_};
    ByteCounters counters_;
    DirFile dirFile_;
    TapeVolume volume_;
    StopRequest stop_;
};

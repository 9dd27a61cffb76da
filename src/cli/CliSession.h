#pragma once
// What one run of tapewren-cli works with, as the main window owns it: the
// device for discovery, status, rewinding and spacing with its selection
// state, the tape volume, the catalog object, the byte counters, the texts
// that name the current tape, and the jobs' view of the window. Directory
// files live in the start directory, the current directory of the run.

#include <functional>
#include <string>

#include "catalog/DirFile.h"
#include "cli/CliJobWindow.h"
#include "jobs/JobContext.h"
#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DeviceSelector.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

struct AdapterListing;

class CliSession {
public:
    // setup: installs the host adapters, run before the first listing, so
    // that a command that needs no drive touches none.
    CliSession(MessageSink& messages, StatusSink& status, std::string startDirectory, void (*setup)() = nullptr);
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    // Lists the adapters and chooses a drive as the window does at start:
    // the first adapter entry and its highest tape drive; adapter (an entry
    // index) and target (an ID) choose others, -1 keeps the default. 0 when
    // the drive may be used for the tape functions; -1 after an Error
    // message naming why not.
    int SelectDrive(int adapter, int target);
    // The same choice without the message; available is false when the
    // adapters cannot be listed (the selection then says nothing).
    DeviceSelection ChooseDrive(int adapter, int target, bool& available);
    // The adapter listing of the last SelectDrive or ListAdapters.
    AdapterListing ListAdapters();

    // Runs before a listing or result goes to standard output, so that a
    // status line on the same terminal makes room.
    void SetBeforeOutput(std::function<void()> beforeOutput) { beforeOutput_ = std::move(beforeOutput); }
    void BeforeOutput() {
        if (beforeOutput_) beforeOutput_();
    }

    MessageSink& Messages() { return messages_; }
    StatusSink& Status() { return status_; }
    ScsiDevice& Device() { return device_; }
    DeviceSelector& Selector() { return selector_; }
    TapeVolume& Volume() { return volume_; }
    DirFile& Catalog() { return dirFile_; }
    ByteCounters& Counters() { return counters_; }
    CliJobWindow& Window() { return window_; }
    JobContext& Context() { return context_; }
    const std::string& StartDirectory() const { return startDirectory_; }
    std::string& CurrentTapeName() { return tapeName_; }
    std::string& CurrentDirFilePath() { return dirFilePath_; }

private:
    MessageSink& messages_;
    StatusSink& status_;
    void (*setup_)();
    std::function<void()> beforeOutput_;
    const std::string startDirectory_;
    std::string tapeName_;
    std::string dirFilePath_;
    ScsiDevice device_;
    DeviceSelector selector_{device_};
    ByteCounters counters_;
    DirFile dirFile_;
    TapeVolume volume_;
    CliJobWindow window_;
    JobContext context_;
};

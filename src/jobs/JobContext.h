#pragma once
// What a job works with, all owned elsewhere (by the session both faces
// share) and handed over by reference.

#include <cstdint>
#include <string>

#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveSelection.h"

class DirFile;
class JobEvents;
class StopRequest;
class ScsiDevice;
class TapeVolume;

// Calendar time in whole seconds; tests pass a clock of their own.
using JobClock = std::int64_t (*)();
std::int64_t CalendarSeconds();

struct JobContext {
    TapeVolume& volume;
    // Rewinding and spacing go through this device, not the volume's own.
    ScsiDevice& device;
    DirFile& dirFile;
    // Address of the selected drive and its block length.
    const DriveSelection& drive;
    MessageSink& messages;
    StatusSink& status;
    ByteCounters& counters;
    JobEvents& events;
    // Directory files live here; never changes.
    const std::string& startDirectory;
    // Set from the ident block each job reads.
    std::string& currentTapeName;
    // Empty while the current tape's directory file is not found.
    std::string& currentDirFilePath;
    JobClock now = CalendarSeconds;
    // Read between files; null: the job cannot be stopped.
    const StopRequest* stop = nullptr;
};

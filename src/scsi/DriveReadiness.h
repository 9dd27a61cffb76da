#pragma once
// Brings a drive to the point where it takes tape commands, as a careful
// initiator does before its first one: TEST UNIT READY until it answers
// GOOD, taking the unit attentions a load or reset left (after one the
// block length and the tape's position are the drive's defaults again),
// polling every two seconds while a cartridge becomes ready (NOT READY
// 04/01, which on a new cartridge's first load can take an hour or two),
// with the status line saying so, up to the time limit of a LOAD, and
// sending LOAD when the drive asks for one (04/02). Anything else (no
// cartridge, busy, unreachable) is left to the command that follows, which
// reports it.

#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"
#include "scsi/ScsiDevice.h"

struct Readiness {
    bool ready = false;
    // A unit attention was taken: the mode (block length) must be set
    // again, and nothing may rely on where the tape stood.
    bool attention = false;
    // The drive was loading a cartridge (or loaded one on request).
    bool waited = false;
};

Readiness AwaitReady(ScsiDevice& device, const DriveAddress& drive, StatusSink& status);

#pragma once
// The outcome of the last tape command (rewind, read, write, write
// filemarks, space, unload) that any ScsiDevice of the process ran, with the
// sense data of a failure: a front end can say afterwards, in words, what
// the drive reported. Only the thread that runs the jobs records.

#include "aspi/Srb.h"

struct TapeCommandOutcome {
    bool failed = false;
    unsigned long failures = 0;  // failures recorded so far; tells a new one
    BYTE opcode = 0;             // of the command, or MODE SENSE before a transfer
    BYTE status = 0;             // the request's final status byte
    BYTE hostStatus = 0;
    BYTE targetStatus = 0;
    BYTE sense[SENSE_LEN] = {};
};

namespace TapeCommandLog {

// The request just completed, as the last tape command's outcome.
void Record(const SRB_ExecSCSICmd& request);
// A completed request's outcome, recorded nowhere (failures counts none).
TapeCommandOutcome OutcomeOf(const SRB_ExecSCSICmd& request);
const TapeCommandOutcome& Last();

}  // namespace TapeCommandLog

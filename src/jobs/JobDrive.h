#pragma once
// The drive's side of every backup, restore and verify. At the start the
// drive is brought to readiness (a loading cartridge waited for with the
// status line saying so, LOAD sent when it asks for one, unit attentions
// taken), the block length it was selected with is set again when an
// attention may have reset it, and its TapeAlert flags are read. At the end
// the flags are read again, and what the job's commands completed with
// (recovered errors, cleaning requests) is said once each, not per block.

#include "jobs/JobContext.h"

class JobDrive {
public:
    explicit JobDrive(JobContext& context);

    void Start();
    void End();

private:
    // Reads the TapeAlert flags and names those set; returns them.
    std::uint64_t ShowAlerts();

    JobContext& c_;
};

#pragma once
// The tape commands as the program relies on them, as checks that run on
// any drive with a scratch tape: "tapewren-cli selftest" runs them on the
// selected drive, the conformance tests on every drive the machine offers.
// Each check starts at the beginning of the tape and writes from there, so
// what an earlier check wrote is cut off. Two need a blank tape.

#include <string>
#include <vector>

#include "scsi/DriveAddress.h"
#include "scsi/ScsiDevice.h"

struct DriveCheckContext {
    ScsiDevice& device;
    DriveAddress address;
    // The block length the check chose last (mode select).
    int blockLength = 1024;
};

enum class DriveCheckResult { Passed, Failed, Skipped };

struct DriveCheckOutcome {
    DriveCheckResult result = DriveCheckResult::Passed;
    std::string detail;  // what was wrong, or why the check was skipped
};

struct DriveCheck {
    const char* name;  // Command_WhatIsChecked
    bool needsBlankTape;
    // Empty when everything held, else the first thing that did not.
    std::string (*run)(DriveCheckContext& context);
};

const std::vector<DriveCheck>& DriveChecks();

// Runs one check; one that needs a blank tape is skipped on another.
DriveCheckOutcome RunDriveCheck(const DriveCheck& check, DriveCheckContext& context, bool tapeIsBlank);

// Puts the drive back to the block length it had before the checks.
void RestoreBlockLength(DriveCheckContext& context, int blockLength);

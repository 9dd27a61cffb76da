#pragma once
// Why the last failed READ, WRITE, WRITE FILEMARKS or SPACE of a ScsiDevice
// (or the MODE SENSE before it) stopped, read from the sense data it left in
// its request. Drives differ in how they report the end of data: by sense
// key BLANK CHECK, or by the additional sense "end-of-data detected" under
// another key.

#include "scsi/ScsiDevice.h"

enum class TapeStop {
    Other,        // no sense data, or anything not below (a medium error, ...)
    Filemark,     // stopped after a filemark
    EndOfData,    // nothing recorded beyond this point
    EndOfMedium,  // the cartridge is full (volume overflow; a read at the end of the medium)
    WrongLength,  // a block of another length than the drive's (incorrect length)
    // A unit attention (reset, cartridge changed, another initiator) or NOT
    // READY: the command was not carried out, and the tape's position and
    // the drive's block length may be lost.
    PositionLost,
};

TapeStop LastTapeStop(const ScsiDevice& device);
// The same from a request's final status, target status and sense data.
TapeStop SenseStop(BYTE status, BYTE targetStatus, const BYTE* sense);

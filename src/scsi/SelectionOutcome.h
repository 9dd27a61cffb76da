#pragma once
// Whether the chosen device may be used for the tape functions.

enum class SelectionOutcome {
    Accepted,      // a tape drive with a block length of 1 to 2048
    NotSupported,  // a tape drive with any other block length
    NoTapeDevice,  // not a tape drive
};

#pragma once
// Whether the chosen device may be used for the tape functions.

enum class SelectionOutcome {
    Accepted,      // a tape drive with a block length of 1 to 2048
    NotSupported,  // a tape drive with any other block length, or one that did not answer
    NoTapeDevice,  // not a tape drive
};

// The notices that hide the tab area while no usable drive is chosen.
inline constexpr const char* kNoTapeDeviceNotice = "- no tape device selected -";
inline constexpr const char* kNotSupportedNotice = "- device not supported, must have block size >0 and <2048 -";
// Busy with another program, or not reached at all: its block size is not known.
inline constexpr const char* kNotReachedNotice = "- the selected drive cannot be reached -";

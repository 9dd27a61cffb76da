#pragma once
// What listing the adapters and choosing a device found out, for the faces
// to show: whether the device may be used, the notice that hides the tab
// area when it may not, the drive's state for the status line, and the
// adapter and device lists. One header for the results of a selection.

#include <string>
#include <vector>

#include "report/CommandFailure.h"

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

// Whether a drive answered a command at all: a drive that another program
// holds is busy; one that cannot be reached (no access to its node, the
// target gone, a time-out) did not answer, and its state is unknown.
enum class DriveReach { Answered, Busy, NoAnswer };

// The drive's state for the status line.
struct DriveStatus {
    std::string text;  // begins with a blank: " Ready."
    // true: enable START, FORMAT Tape and both Dir Tape buttons; false: leave
    // them as they are.
    bool enableTapeButtons = false;
};

// What choosing a device entry found out.
struct DeviceSelection {
    SelectionOutcome outcome = SelectionOutcome::NoTapeDevice;
    std::string notice;  // empty when accepted
    std::string capacity = "n.a.";   // megabytes, as shown
    std::string blockSize = "n.a.";  // bytes, as shown
    long long capacityMb = -1;       // the same as numbers; -1: not known
    int blockBytes = -1;
    DriveStatus status;
    // What the drive answered the mode sense that found it unusable.
    CommandFailure failure;
};

// One device as its INQUIRY described it.
struct DeviceEntry {
    bool present = false;
    std::string product;  // vendor and product, trailing blanks dropped
    std::string type;     // "Tape", ...
};

// The device list of one adapter: eight entries, one per target ID, as
// shown ("3 - VENDOR PRODUCT   Type: Tape") and as values, and the entry
// chosen for it with what choosing it found.
struct DeviceListing {
    std::vector<std::string> entries;  // entry t is target t
    std::vector<DeviceEntry> devices;  // the same, device t is target t
    int chosen = 0;
    DeviceSelection selection;
};

// The host adapter list, and the device list of its first entry.
struct AdapterListing {
    // false when ASPI is not usable; then only statusText is set.
    bool available = false;
    std::string statusText;
    std::vector<std::string> entries;  // "0 - NAME"
    std::vector<std::string> names;    // NAME of each entry
    // The first entry's devices (all "no device" when no adapter qualified).
    DeviceListing devices;
};

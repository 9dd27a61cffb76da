#pragma once
// The drive's state for the status line.

#include <string>

struct DriveStatus {
    std::string text;  // begins with a blank: " Ready."
    // true: enable START, FORMAT Tape and both Dir Tape buttons; false: leave
    // them as they are.
    bool enableTapeButtons = false;
};

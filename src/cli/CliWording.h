#pragma once
// The command line's own words for messages whose shared texts send the
// user to the window's controls (the command to run instead), and for the
// summaries (rates in MB/s where the window gives KByte/min). Chosen by the
// message's id and filled from its arguments; the window keeps its texts.

#include <string>

#include "report/Message.h"

class CliWording {
public:
    // The text to show for message; tapeName: the current tape's name, for
    // the commands suggested.
    static std::string Reword(const Message& message, const std::string& tapeName);
    // "22.5 MB/s" for a rate text in KByte (1024 bytes) per minute; "n.a."
    // stays as it is.
    static std::string MegabytesPerSecond(const std::string& kilobytesPerMinute);
};

#pragma once
// The command line's own words for the shared jobs' texts: where those send
// the user to the window's controls, the command to run instead; rates in
// MB/s where the summaries give KByte/min. The window keeps its texts.

#include <string>

class CliWording {
public:
    // tapeName: the current tape's name, for the commands suggested.
    static std::string Reword(const std::string& text, const std::string& tapeName);
    // "22.5 MB/s" for a rate text in KByte (1024 bytes) per minute; "n.a."
    // stays as it is.
    static std::string MegabytesPerSecond(const std::string& kilobytesPerMinute);
};

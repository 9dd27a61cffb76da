#pragma once
// Runs an independent checking tool through the shell.

#include <cstdio>
#include <string>

// Standard output of a shell command, and its exit status (-1 when it could
// not be started).
inline std::string RunTool(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    status = pclose(pipe);
    return out;
}

#pragma once
// The commands about the drive and the tape as a whole: the adapter and
// device lists, the drive's state, format, check and eject. Each returns
// kExitOk, or kExitFailed when it could not do its work; messages tell why.

#include <cstdio>
#include <string>

class CliSession;
class CommandLine;

class DriveCommands {
public:
    // out: the listing and the state, for scripts to read.
    DriveCommands(CliSession& session, const CommandLine& line, std::FILE* out);

    int Adapters();
    int Status();
    int Format(const std::string& name);
    int Check();
    int Eject();

private:
    CliSession& session_;
    const CommandLine& line_;
    std::FILE* out_;
};

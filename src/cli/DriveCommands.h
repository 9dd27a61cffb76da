#pragma once
// The commands about the drive and the tape as a whole: the adapter and
// device lists, the drive's state, format, check, eject and the self-test.
// Each returns kExitOk, or kExitFailed when it could not do its work;
// messages tell why.

#include <cstdio>
#include <string>

#include "app/TapeProbe.h"
#include "report/MessageTable.h"

class CliSession;
class CommandLine;

class DriveCommands {
public:
    // out: the listing and the state, for scripts to read.
    DriveCommands(CliSession& session, const CommandLine& line, std::FILE* out);

    int Adapters();
    int Status();
    // --yes answers the overwrite questions alone only for a blank or
    // merely formatted tape and a name without a catalog; else --force too.
    int Format(const std::string& name);
    int Check();
    int Eject();
    // The checks of the tape commands the program relies on, on the loaded
    // tape, which they overwrite (asked first, guarded as Format's erase).
    // One line per check on out.
    int SelfTest();

private:
    // The erase question is guarded, with the reason, unless the tape is
    // blank or formatted only; what the tape holds.
    TapeContents GuardErase(MessageId question);

    CliSession& session_;
    const CommandLine& line_;
    std::FILE* out_;
};

#pragma once
// One run of tapewren-cli: the parsed command line to the command that
// carries it out, and the exit status from the result of its job.

#include <cstdio>
#include <string>
#include <vector>

class CliApp {
public:
    struct Streams {
        std::FILE* out;    // listings and results
        std::FILE* err;    // messages and usage errors
        int statusFd;      // the status display
        int diagnosticsFd;  // where the device layer's diagnostic lines go (--verbose)
        std::FILE* in;     // answers typed on the terminal
        bool inIsTerminal;
        bool statusIsTerminal;
        int columns;
    };
    // Sets up the host adapters; run when a command first needs the drive
    // (help, usage errors and the floppy copies touch none).
    using AdapterSetup = void (*)();

    CliApp(Streams streams, AdapterSetup setup) : streams_(streams), setup_(setup) {}


    // arguments: without the program name. The start directory (the catalog
    // folder) is --catalogs DIR, else $TAPEWREN_CATALOGS, else the current
    // directory.
    int Run(const std::vector<std::string>& arguments);

private:
    Streams streams_;
    AdapterSetup setup_;
};

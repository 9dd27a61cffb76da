#pragma once
// The commands about directory files: the inserted tape's catalog, a new
// catalog read from the tape, and copies to and from the floppy folder
// ($TAPEWREN_FLOPPY). Each returns kExitOk, or kExitFailed when it could not
// do its work; messages tell why.

#include <cstdio>
#include <string>
#include <vector>

class CliSession;
class CommandLine;

class CatalogCommands {
public:
    // out: the catalog's rows, for scripts to read.
    CatalogCommands(CliSession& session, const CommandLine& line, std::FILE* out);

    // One line per entry: name, size, file date, backup date, tab-separated.
    int Dir();
    int Rebuild();
    // names: tape names, with or without ".twd".
    int Export(const std::vector<std::string>& names);
    int Import(const std::vector<std::string>& names);

private:
    CliSession& session_;
    const CommandLine& line_;
    std::FILE* out_;
};

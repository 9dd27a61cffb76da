#pragma once
// The commands about directory files: a tape's catalog (the inserted tape's,
// or a named one without loading it), a search through every catalog of
// the catalog folder, a new catalog read from the tape, and copies to and
// from the floppy folder ($TAPEWREN_FLOPPY). Each returns kExitOk, or
// kExitFailed when it could not do its work; messages tell why.

#include <cstdio>
#include <string>
#include <vector>

#include "tape/FileHeader.h"

class CliSession;
class CommandLine;

class CatalogCommands {
public:
    // out: the catalog's rows, for scripts to read.
    CatalogCommands(CliSession& session, const CommandLine& line, std::FILE* out);

    // One line per entry: name, size, file date, backup date, tab-separated
    // (or one JSON document). --tape NAME: that tape's catalog, no drive.
    // A damaged catalog: its whole entries before the damage, and
    // kExitFailed.
    int Dir();
    // The entries whose names match one of the shell patterns, from every
    // catalog in the catalog folder: tape, name, size, file date, backup
    // date. kExitFailed when none matches or a catalog is damaged.
    int Find(const std::vector<std::string>& patterns);
    int Rebuild();
    // names: tape names, with or without ".twd".
    int Export(const std::vector<std::string>& names);
    int Import(const std::vector<std::string>& names);
    // The SHA-256 checksums tape NAME's catalog keeps, one line per entry
    // as sha256sum writes them, so that "sha256sum -c" checks a restore;
    // kExitFailed when it keeps none (XXH3-128 ones have no such tool).
    int Sums(const std::string& tapeName);

private:
    // Whether the catalog just listed was read to its clean end; if not, an
    // Error message names the damage and says what became of the entries
    // before it (done: "listed", "searched").
    bool ListedWhole(const std::string& tapeName, const char* done);
    void PrintRows(const std::vector<FileHeader>& rows, const std::string& tapeName, const std::string& path);

    CliSession& session_;
    const CommandLine& line_;
    std::FILE* out_;
};

#pragma once
// The catalog of the inserted tape, read for the command line: the tape's
// ident block must name a directory file in the start directory that
// belongs to this tape (same tape name and date of formatting). Entry i is
// the record after filemark i + 1.

#include <string>
#include <vector>

#include "tape/FileHeader.h"

class CliSession;
class DirFile;

class TapeCatalog {
public:
    // The entries of the inserted tape's catalog into entries: 0, or -1
    // after the failure's Error message. A catalog that did not end
    // cleanly is read up to its damage (DamageText says what it is).
    static int Load(CliSession& session, std::vector<FileHeader>& entries);
    // The entries of the catalog at path: 0, or -1 after "Error opening dir
    // file on hard drive" or "Error skipping to file info on hard drive".
    static int Read(CliSession& session, const std::string& path, std::vector<FileHeader>& entries);

    // What a read of the catalog that did not end cleanly means; empty for
    // a clean end. done: what became of the entries before the damage
    // ("listed").
    static std::string DamageText(const DirFile& catalog, const std::string& tapeName, const char* done);
};

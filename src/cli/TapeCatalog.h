#pragma once
// The catalog of the inserted tape into the left list, as "Dir Tape" does
// before the user marks rows: the tape's ident block must name a directory
// file in the start directory that belongs to this tape (same tape name and
// date of formatting). Row i is entry i + 1.

#include <string>

class CliSession;
class DirFile;

class TapeCatalog {
public:
    // 0, or -1 after the failure's Error message. A catalog that did not
    // end cleanly is listed up to its damage (DamageText says what it is).
    static int Load(CliSession& session);

    // What a list of the catalog that did not end cleanly means; empty for
    // a clean end. done: what became of the entries before the damage
    // ("listed").
    static std::string DamageText(const DirFile& catalog, const std::string& tapeName, const char* done);
};

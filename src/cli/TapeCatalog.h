#pragma once
// The catalog of the inserted tape into the left list, as "Dir Tape" does
// before the user marks rows: the tape's ident block must name a directory
// file in the start directory that belongs to this tape (same tape name and
// date of formatting). Row i is entry i + 1.

class CliSession;

class TapeCatalog {
public:
    // 0, or -1 after the failure's Error message.
    static int Load(CliSession& session);
};

#pragma once
// Whether the inserted tape and its catalog in the start directory belong
// together: the tape's ident block names the catalog (tape name + ".twd"),
// and the catalog's header carries the same tape name and date of
// formatting (the version is not compared). The one check behind every job
// and both "Dir Tape" buttons; each caller shows the failure's message in
// its own wording (MatchMessage).

#include <string>

#include "report/Message.h"

class DirFile;
class TapeVolume;

enum class TapeMatch {
    Matches,
    TapeUnreadable,     // no ident block (blank or foreign tape, or the read failed)
    NameUnusable,       // the tape's name would lead out of the start directory
    CatalogMissing,
    CatalogUnreadable,  // no catalog header there
    Differs,            // another tape's catalog, or this name formatted again
};

class TapeCatalogMatch {
public:
    TapeCatalogMatch(TapeVolume& volume, DirFile& catalog);

    // Rewinds and reads the ident block (tapeName set from it once read),
    // then the catalog's header; path: the catalog's, empty when it is not
    // found or cannot be named.
    TapeMatch Check(const std::string& startDirectory, std::string& tapeName, std::string& path);

    // The message for a failed check. The two texts that point to the
    // Utilities tab come with a blank before their line break where the
    // caller's does (notFoundBlank: restore, verify and both "Dir Tape"
    // buttons; differsBlank: the left "Dir Tape" button).
    static Message MatchMessage(TapeMatch match, const std::string& tapeName, bool notFoundBlank, bool differsBlank);

private:
    TapeVolume& volume_;
    DirFile& catalog_;
    std::string date_;
    std::string version_;
    std::string fileTapeName_;
    std::string fileDate_;
    std::string fileVersion_;
};

#include "jobs/TapeCatalogMatch.h"

#include "catalog/DirFile.h"
#include "catalog/DirFilePath.h"
#include "tape/TapeVolume.h"

TapeCatalogMatch::TapeCatalogMatch(TapeVolume& volume, DirFile& catalog) : volume_(volume), catalog_(catalog) {}

TapeMatch TapeCatalogMatch::Check(const std::string& startDirectory, std::string& tapeName, std::string& path) {
    if (volume_.ReadIdentBlock(tapeName, date_, version_) < 0) return TapeMatch::TapeUnreadable;
    // The name comes from the tape: one that would lead out of the start
    // directory names no catalog of ours, and the previous tape's catalog
    // is not this tape's.
    if (DirFilePath(startDirectory, tapeName, path) != 0) {
        path.clear();
        return TapeMatch::NameUnusable;
    }
    const int read = catalog_.ReadIdent(path, fileTapeName_, fileDate_, fileVersion_);
    if (read == -2) {
        path.clear();
        return TapeMatch::CatalogMissing;
    }
    if (read != 0) return TapeMatch::CatalogUnreadable;
    if (fileTapeName_ != tapeName || fileDate_ != date_) return TapeMatch::Differs;
    return TapeMatch::Matches;
}

std::string TapeCatalogMatch::MatchText(TapeMatch match, const std::string& tapeName, bool notFoundBlank,
                                        bool differsBlank) {
    switch (match) {
    case TapeMatch::Matches:
        return {};
    case TapeMatch::TapeUnreadable:
        return "Error reading IdentBlock from tape";
    case TapeMatch::NameUnusable:
        return "Error: tape name not usable as a file name: '" + tapeName + "'";
    case TapeMatch::CatalogMissing:
        return notFoundBlank ? "Error: DirFile not found on hard drive. \nYou can make or import a DirFile on the "
                               "Utilities tab."
                             : "Error: DirFile not found on hard drive.\nYou can make or import a DirFile on the "
                               "Utilities tab.";
    case TapeMatch::CatalogUnreadable:
        return "Error reading IdentBlock from hard drive";
    case TapeMatch::Differs:
        return differsBlank ? "Error: DirFile on hard drive and tape contents do not match. \nCheck that on the "
                              "Utilities tab."
                            : "Error: DirFile on hard drive and tape contents do not match.\nCheck that on the "
                              "Utilities tab.";
    }
    return {};
}

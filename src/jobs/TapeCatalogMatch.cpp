#include "jobs/TapeCatalogMatch.h"

#include "catalog/DirFile.h"
#include "catalog/DirFilePath.h"
#include "report/MessageSink.h"
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

Message TapeCatalogMatch::MatchMessage(TapeMatch match, const std::string& tapeName, bool notFoundBlank,
                                       bool differsBlank) {
    auto message = [](MessageId id, std::initializer_list<std::string_view> args = {}) {
        return MessageSink::Make(id, Error, args);
    };
    switch (match) {
    case TapeMatch::Matches:
        break;
    case TapeMatch::TapeUnreadable:
        return message(MessageId::IdentUnreadable);
    case TapeMatch::NameUnusable:
        return message(MessageId::TapeNameUnusable, {tapeName});
    case TapeMatch::CatalogMissing:
        return message(MessageId::CatalogMissing, {notFoundBlank ? " " : ""});
    case TapeMatch::CatalogUnreadable:
        return message(MessageId::CatalogIdentUnreadable);
    case TapeMatch::Differs:
        return message(MessageId::CatalogDiffers, {differsBlank ? " " : ""});
    }
    return {};
}

#include "cli/TapeCatalog.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "catalog/DirFileLister.h"
#include "cli/OutputText.h"
#include "cli/CliSession.h"
#include "jobs/TapeCheck.h"

int TapeCatalog::Load(CliSession& session) {
    TapeCheck check(session.Context());
    if (check.Run(TapeCheck::kReadNotFound) != 0) return -1;
    CliJobWindow& window = session.Window();
    DirFileLister lister(session.Catalog(), session.Messages(), [&window] { window.ShowDriveStatus(); });
    return lister.ListDirFile(window.Left(), session.CurrentDirFilePath(), false);
}

std::string TapeCatalog::DamageText(const DirFile& catalog, const std::string& tapeName, const char* done) {
    const std::string file = "'" + TerminalText(tapeName, false) + DirFileFormat::kExtension + "' ";
    const int read = catalog.EntriesRead();
    const std::string after = read > 0 ? "after entry " + std::to_string(read) : std::string("in its first entry");
    std::string text;
    switch (catalog.LastListEnd()) {
    case DirFile::ListEnd::Clean:
        return {};
    case DirFile::ListEnd::CutShort:
        text = file + "is cut short " + after;
        break;
    case DirFile::ListEnd::BadType:
        text = file + "is damaged " + after;
        break;
    case DirFile::ListEnd::TooMany:
        text = file + "holds more than " + std::to_string(DirFileFormat::kMaxEntries) +
               " entries: it is damaged " + after;
        break;
    case DirFile::ListEnd::ReadError:
        text = file + "cannot be read " + after;
        break;
    }
    return "Error: the directory file " + text + ". Only the entries before that point were " + done +
           ". Make the catalog anew from the tape with \"tapewren-cli rebuild\".";
}


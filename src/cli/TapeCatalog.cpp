#include "cli/TapeCatalog.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "cli/CliSession.h"
#include "cli/OutputText.h"
#include "jobs/TapeCheck.h"

int TapeCatalog::Load(CliSession& session, std::vector<FileHeader>& entries) {
    TapeCheck check(session.Context());
    if (check.Run(TapeCheck::Wording::RestoreOrVerify) != 0) return -1;
    return Read(session, session.CurrentDirFilePath(), entries);
}

int TapeCatalog::Read(CliSession& session, const std::string& path, std::vector<FileHeader>& entries) {
    entries.clear();
    DirFile& catalog = session.Catalog();
    if (catalog.OpenForReading(path) != 0) {
        session.Messages().ShowMessage(MessageId::ErrorOpeningDirFile);
        return -1;
    }
    if (catalog.SkipIdent() != 0) {
        session.Messages().ShowMessage(MessageId::ErrorSkippingToFileInfo);
        catalog.Close();
        return -1;
    }
    FileHeader e;
    while (catalog.ReadNextEntry(e.name, e.modificationDate, e.backupDate, e.size, e.blockCount) == 0)
        entries.push_back(e);
    catalog.Close();
    return 0;
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


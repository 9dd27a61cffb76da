#include "cli/CatalogCommands.h"

#include <dirent.h>
#include <fnmatch.h>

#include <algorithm>

#include "app/CopyFromFloppyLogic.h"
#include "app/DriveBrowser.h"
#include "app/FloppyExport.h"
#include "catalog/DirFile.h"
#include "catalog/DirFileCopy.h"
#include "catalog/DirFileFormat.h"
#include "catalog/DirFilePath.h"
#include "catalog/FloppyFolder.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/OutputText.h"
#include "cli/TapeCatalog.h"
#include "jobs/CatalogSums.h"
#include "jobs/RebuildDirFile.h"
#include "lists/ListImage.h"
#include "lists/ListModel.h"
#include "report/MessageKind.h"

namespace {

std::string TapeName(const std::string& name) {
    const std::string extension = DirFileFormat::kExtension;
    if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
        return name.substr(0, name.size() - extension.size());
    return name;
}

}  // namespace

CatalogCommands::CatalogCommands(CliSession& session, const CommandLine& line, std::FILE* out)
    : session_(session), line_(line), out_(out) {}

namespace {

// Dates as ISO dates, null when the catalog's text is no possible date;
// the text as the catalog holds it beside each. index: from 0.
nlohmann::json EntryJson(const FileHeader& entry, std::size_t index) {
    return {{"record", index + 1},
            {"name", entry.name},
            {"size", entry.size},
            {"file_date", IsoDate(entry.modificationDate)},
            {"file_date_text", entry.modificationDate},
            {"backup_date", IsoDate(entry.backupDate)},
            {"backup_date_text", entry.backupDate}};
}

// index: from 0; the record's number on tape (from 1) ends the line.
void PrintEntry(std::FILE* out, const FileHeader& entry, std::size_t index) {
    std::fprintf(out, "%s\t%d\t%s\t%s\t%zu\n", TsvField(entry.name).c_str(), static_cast<int>(entry.size),
                 TsvField(entry.modificationDate).c_str(), TsvField(entry.backupDate).c_str(), index + 1);
}

// The tape names of the catalogs in folder, in name order.
std::vector<std::string> CatalogNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    const std::string extension = DirFileFormat::kExtension;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(), extension) == 0)
            names.push_back(name.substr(0, name.size() - extension.size()));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

void CatalogCommands::PrintRows(const std::vector<FileHeader>& rows, const std::string& tapeName,
                                const std::string& path) {
    session_.BeforeOutput();
    if (line_.json) {
        std::string name, date, version;
        session_.Catalog().ReadIdent(path, name, date, version);
        nlohmann::json files = nlohmann::json::array();
        for (std::size_t i = 0; i < rows.size(); ++i) files.push_back(EntryJson(rows[i], i));
        WriteJson(out_, {{"tape", tapeName},
                         {"formatted", IsoDate(date)},
                         {"formatted_text", date},
                         {"catalog", path},
                         {"files", files}});
    } else {
        for (std::size_t i = 0; i < rows.size(); ++i) PrintEntry(out_, rows[i], i);
    }
    std::fflush(out_);
}

int CatalogCommands::Dir() {
    std::vector<FileHeader> rows;
    if (!line_.tape.empty()) {
        // The catalog alone: no drive, no tape.
        std::string path, name, date, version;
        if (DirFilePath(session_.StartDirectory(), line_.tape, path) != 0 ||
            session_.Catalog().ReadIdent(path, name, date, version) != 0) {
            session_.Messages().ShowMessage(MessageId::CliNoSuchCatalog, {line_.tape, session_.StartDirectory()});
            return kExitFailed;
        }
        if (TapeCatalog::Read(session_, path, rows) != 0) return kExitFailed;
        PrintRows(rows, name, path);
        return ListedWhole(line_.tape, "listed") ? kExitOk : kExitFailed;
    }
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (TapeCatalog::Load(session_, rows) != 0) return kExitFailed;
    PrintRows(rows, session_.CurrentTapeName(), session_.CurrentDirFilePath());
    const bool whole = ListedWhole(session_.CurrentTapeName(), "listed");
    session_.Events().ShowDriveStatus();
    return whole ? kExitOk : kExitFailed;
}

bool CatalogCommands::ListedWhole(const std::string& tapeName, const char* done) {
    const std::string damage = TapeCatalog::DamageText(session_.Catalog(), tapeName, done);
    if (damage.empty()) return true;
    session_.Messages().ShowMessage(MessageId::CliCatalogDamaged, {damage});
    return false;
}

int CatalogCommands::Find(const std::vector<std::string>& patterns) {
    const int flags = line_.ignoreCase ? FNM_CASEFOLD : 0;
    std::vector<FileHeader> rows;
    nlohmann::json matches = nlohmann::json::array();
    int found = 0;
    bool whole = true;
    for (const std::string& file : CatalogNames(session_.StartDirectory())) {
        std::string path, name, date, version;
        if (DirFilePath(session_.StartDirectory(), file, path) != 0 ||
            session_.Catalog().ReadIdent(path, name, date, version) != 0) {
            session_.Messages().ShowMessage(MessageId::CliNotACatalog, {file + DirFileFormat::kExtension});
            continue;
        }
        if (TapeCatalog::Read(session_, path, rows) != 0) continue;
        whole = ListedWhole(file, "searched") && whole;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const FileHeader& row = rows[i];
            const bool match = std::any_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
                return ::fnmatch(pattern.c_str(), row.name.c_str(), flags) == 0;
            });
            if (!match) continue;
            ++found;
            if (line_.json) {
                nlohmann::json entry = EntryJson(row, i);
                entry["tape"] = name;
                matches.push_back(entry);
                continue;
            }
            session_.BeforeOutput();
            std::fprintf(out_, "%s\t", TsvField(name).c_str());
            PrintEntry(out_, row, i);
        }
    }
    if (line_.json) WriteJson(out_, {{"matches", matches}});
    std::fflush(out_);
    // A catalog searched only in part may hide what was looked for.
    return found > 0 && whole ? kExitOk : kExitFailed;
}

int CatalogCommands::Rebuild() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    // A catalog of that name that is not this tape's belongs to another tape.
    std::string tapeName, date, version, path, fileName, fileDate;
    if (session_.Volume().ReadIdentBlock(tapeName, date, version) == 0 &&
        DirFilePath(session_.StartDirectory(), tapeName, path) == 0 &&
        session_.Catalog().ReadIdent(path, fileName, fileDate, version) != -2 &&
        (fileName != tapeName || fileDate != date))
        session_.Answers().Guard(MessageId::TapeNameExists,
                                 "the catalog folder holds another tape's catalog under that name");
    return ExitFor(session_.Rebuild().Run(session_.StartDirectory(), session_.Events()));
}

int CatalogCommands::Export(const std::vector<std::string>& names) {
    std::vector<std::string> tapes;
    for (const std::string& name : names) tapes.push_back(TapeName(name));
    DirFileCopy copy(session_.Messages(), session_.StartDirectory(), FloppyFolder(session_.StartDirectory()));
    return ExitFor(FloppyExport(session_.Messages(), session_.Status(), copy).ExportCatalogs(tapes, session_.Events()));
}

int CatalogCommands::Import(const std::vector<std::string>& names) {
    MessageSink& messages = session_.Messages();
    DriveBrowser browser(messages);
    DirFile dirFile(messages);
    DirFileCopy copy(messages, session_.StartDirectory(), FloppyFolder(session_.StartDirectory()));
    CopyFromFloppyLogic dialog(messages, browser, dirFile, copy);
    // No disk: "Change Dir Error!" has been shown.
    if (!dialog.Initialise()) return kExitFailed;

    ListModel& list = dialog.List();
    std::vector<bool> selected(list.RowCount(), false);
    for (const std::string& name : names) {
        const std::string wanted = TapeName(name);
        bool found = false;
        for (std::size_t i = 0; i < list.RowCount(); ++i) {
            if (list.Row(i).image == kImageDirFile && list.Row(i).Text(0) == wanted) {
                selected[i] = true;
                found = true;
            }
        }
        if (!found) {
            messages.ShowMessage(MessageId::CliNotOnFloppy, {wanted + DirFileFormat::kExtension});
            return kExitFailed;
        }
    }
    list.SetSelection(selected, -1);
    return dialog.Accept() && dialog.AllCopied() ? kExitOk : kExitFailed;
}

int CatalogCommands::Sums(const std::string& tapeName) {
    std::string path, name, date, version;
    if (DirFilePath(session_.StartDirectory(), tapeName, path) != 0 ||
        session_.Catalog().ReadIdent(path, name, date, version) != 0) {
        session_.Messages().ShowMessage(MessageId::CliNoSuchCatalog, {tapeName, session_.StartDirectory()});
        return kExitFailed;
    }
    CatalogSums sums;
    if (sums.Load(session_.Catalog(), path) != 0) {
        session_.Messages().ShowMessage(MessageId::ErrorOpeningDirFile);
        return kExitFailed;
    }
    static const char kHex[] = "0123456789abcdef";
    int printed = 0;
    bool xxh3 = false;
    for (int i = 0; i < sums.Entries(); ++i) {
        const FileFacts* facts = sums.Summed(i);
        if (facts == nullptr) continue;
        if (facts->digest.kind != SumKind::Sha256) {
            xxh3 = true;
            continue;
        }
        // A later copy of a name is what a restore of the name gives.
        bool later = false;
        for (int j = i + 1; j < sums.Entries() && !later; ++j) later = sums.Name(j) == sums.Name(i);
        if (later) continue;
        // sha256sum's escaping: a line whose name holds a backslash or a
        // line feed starts with a backslash, and those two are escaped.
        std::string line, escaped;
        for (char ch : sums.Name(i)) {
            if (ch == '\\') escaped += "\\\\";
            else if (ch == '\n') escaped += "\\n";
            else escaped += ch;
        }
        if (escaped != sums.Name(i)) line += '\\';
        for (std::size_t b = 0; b < DigestSize(SumKind::Sha256); ++b) {
            line += kHex[facts->digest.bytes[b] >> 4];
            line += kHex[facts->digest.bytes[b] & 15];
        }
        line.append("  ").append(escaped);
        std::fprintf(out_, "%s\n", line.c_str());
        ++printed;
    }
    if (printed > 0) return kExitOk;
    session_.Messages().ShowMessage(xxh3 ? MessageId::CliNoChecksumTool : MessageId::CliNoChecksums, {name});
    return kExitFailed;
}

#include "ui/UtilityCommands.h"

#include <filesystem>
#include <system_error>

#include "app/CatalogCopyFolder.h"
#include "app/FloppyExport.h"
#include "app/Session.h"
#include "catalog/DirFileCopy.h"
#include "catalog/SumFile.h"
#include "jobs/MaintenanceHost.h"
#include "ui/WindowState.h"

namespace {

// The catalogs copied into folder, one a line, each with the sums file
// that went with it.
std::string Lines(const std::string& folder, const std::vector<std::string>& names) {
    std::string text;
    std::string sums;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : "\n") + name;
        SumFile::PathOf(folder + "/" + name, sums);
        std::error_code error;
        if (std::filesystem::exists(sums, error))
            text += " (with its checksums, " + std::filesystem::path(sums).filename().string() + ")";
    }
    return text;
}

}  // namespace

UtilityCommands::UtilityCommands(WindowState& state, Session& session, MessageSink& messages, StatusSink& status,
                                 MaintenanceHost& host)
    : state_(state), session_(session), messages_(messages), status_(status), host_(host) {}

JobResult UtilityCommands::CreateDirFileFromTape() { return session_.Rebuild().Run(session_.StartDirectory(), host_); }

JobResult UtilityCommands::ExportToFloppy() {
    const std::string& start = session_.StartDirectory();
    // Looked up per command, as a stick is per insertion.
    const std::string folder = CatalogCopyFolder(start);
    DirFileCopy copy(messages_, start, folder);
    FloppyExport exporter(messages_, status_, copy);
    const JobResult result = exporter.Run(state_.shownCatalog, state_.rightList, host_);
    if (!exporter.Copied().empty())
        messages_.ShowMessage(MessageId::CatalogsExported, {folder, Lines(folder, exporter.Copied())});
    return result;
}

void UtilityCommands::ImportFinished(const std::string& folder, const std::vector<std::string>& names) {
    if (!names.empty())
        messages_.ShowMessage(MessageId::CatalogsImported, {folder, session_.StartDirectory(), Lines(session_.StartDirectory(), names)});
    host_.ShowDirectoryFiles();
    host_.ShowDriveStatus();
}

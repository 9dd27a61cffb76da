#include "ui/UtilityCommands.h"

#include "app/FloppyExport.h"
#include "app/Session.h"
#include "catalog/DirFileCopy.h"
#include "app/CatalogCopyFolder.h"
#include "jobs/MaintenanceHost.h"
#include "ui/WindowState.h"

namespace {

std::string Lines(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : "\n") + name;
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
        messages_.ShowMessage(MessageId::CatalogsExported, {folder, Lines(exporter.Copied())});
    return result;
}

void UtilityCommands::ImportFinished(const std::string& folder, const std::vector<std::string>& names) {
    if (!names.empty())
        messages_.ShowMessage(MessageId::CatalogsImported, {folder, session_.StartDirectory(), Lines(names)});
    host_.ShowDirectoryFiles();
    host_.ShowDriveStatus();
}

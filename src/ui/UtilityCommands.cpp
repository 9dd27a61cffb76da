#include "ui/UtilityCommands.h"

#include "app/FloppyExport.h"
#include "app/Session.h"
#include "catalog/DirFileCopy.h"
#include "catalog/FloppyFolder.h"
#include "jobs/MaintenanceHost.h"
#include "ui/WindowState.h"

UtilityCommands::UtilityCommands(WindowState& state, Session& session, MessageSink& messages, StatusSink& status,
                                 MaintenanceHost& host)
    : state_(state), session_(session), messages_(messages), status_(status), host_(host) {}

JobResult UtilityCommands::CreateDirFileFromTape() { return session_.Rebuild().Run(session_.StartDirectory(), host_); }

JobResult UtilityCommands::ExportToFloppy() {
    const std::string& start = session_.StartDirectory();
    // The floppy folder is looked up per command, as a disk is per insertion.
    DirFileCopy copy(messages_, start, FloppyFolder(start));
    return FloppyExport(messages_, status_, copy).Run(state_.shownCatalog, state_.rightList, host_);
}

void UtilityCommands::ImportFinished() {
    host_.ShowDirectoryFiles();
    host_.ShowDriveStatus();
}

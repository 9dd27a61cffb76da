#include "cli/TapeCatalog.h"

#include "catalog/DirFileLister.h"
#include "cli/CliSession.h"
#include "jobs/TapeCheck.h"

int TapeCatalog::Load(CliSession& session) {
    TapeCheck check(session.Context());
    if (check.Run(TapeCheck::kReadNotFound) != 0) return -1;
    CliJobWindow& window = session.Window();
    DirFileLister lister(session.Catalog(), session.Messages(), [&window] { window.ShowDriveStatus(); });
    return lister.ListDirFile(window.Left(), session.CurrentDirFilePath(), false);
}

#include "cli/CatalogCommands.h"

#include "app/CopyFromFloppyLogic.h"
#include "app/DriveBrowser.h"
#include "app/FloppyExport.h"
#include "catalog/DirFile.h"
#include "catalog/DirFileCopy.h"
#include "catalog/DirFileFormat.h"
#include "catalog/FloppyFolder.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/TapeCatalog.h"
#include "jobs/RebuildDirFile.h"
#include "lists/ListImage.h"
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

int CatalogCommands::Dir() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (TapeCatalog::Load(session_) != 0) return kExitFailed;
    session_.BeforeOutput();
    for (const ListRow& row : session_.Window().Left().Rows())
        std::fprintf(out_, "%s\t%s\t%s\t%s\n", row.Text(0).c_str(), row.Text(1).c_str(), row.Text(2).c_str(),
                     row.Text(3).c_str());
    std::fflush(out_);
    session_.Window().ShowDriveStatus();
    return kExitOk;
}

int CatalogCommands::Rebuild() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    return ExitFor(session_.Rebuild().Run(session_.StartDirectory(), session_.Window()));
}

int CatalogCommands::Export(const std::vector<std::string>& names) {
    std::vector<std::string> tapes;
    for (const std::string& name : names) tapes.push_back(TapeName(name));
    DirFileCopy copy(session_.Messages(), session_.StartDirectory(), FloppyFolder(session_.StartDirectory()));
    return ExitFor(FloppyExport(session_.Messages(), session_.Status(), copy).ExportCatalogs(tapes, session_.Window()));
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
            messages.ShowMessage("Error: Directory File '" + wanted + DirFileFormat::kExtension +
                                     "' not found on floppy, nothing was copied",
                                 Error);
            return kExitFailed;
        }
    }
    list.SetSelection(selected, -1);
    return dialog.Accept() && dialog.AllCopied() ? kExitOk : kExitFailed;
}

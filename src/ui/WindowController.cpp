#include "ui/WindowController.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/CartridgeFacts.h"
#include "app/CatalogCopyFolder.h"
#include "catalog/DirFileFormat.h"

WindowController::WindowController(MessageSink& messages, MessageSink& browserMessages, std::string mountsFile)
    : messages_(messages),
      session_(messages_, status_),
      browser_(browserMessages, std::move(mountsFile)),
      lister_(session_.Catalog(), messages_, [this] { driveStatus_.Show(); }),
      dirTape_(session_, messages_, status_, views_, driveStatus_),
      maintenance_(session_.MaintenanceFor(host_)),
      utilities_(state_, session_, messages_, status_, host_) {
    messages_.Attach(
        [this] {
            const DriveAddress& a = session_.Selector().Address();
            return FactsFor(a.adapter, a.target);
        },
        session_.CurrentTapeName(), session_.StartDirectory());
    messages_.AttachTapeDescription([this] { return DescribeLoadedTape(); });
}

std::string WindowController::DescribeLoadedTape() {
    std::string name, date, version;
    if (session_.Volume().ReadIdentBlock(name, date, version) != 0)
        return "The tape in the drive has no name: it is blank or was not formatted by this program.";
    const std::string path = session_.StartDirectory() + "/" + name + DirFileFormat::kExtension;
    const int records = session_.Catalog().CountEntries(path);
    const std::string text = "The tape in the drive is '" + name + "', formatted " + date;
    if (records < 0)
        return text + "; its catalog is not on this computer, so the number of its file records is not known.";
    return text + "; by its catalog it holds " + std::to_string(records) +
           (records == 1 ? " file record." : " file records.");
}

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
    return {};
}

}  // namespace

bool WindowController::Initialise(std::uint32_t seed) {
    bool ok = true;
    std::error_code error;
    const auto start = std::filesystem::current_path(error);
    if (error) ok = false;
    session_.Start(error ? session_.StartDirectory() : start.string());
    // The user's files are under the home folder: browsing starts there (and
    // so does the restore target), in the start directory when there is no
    // home to enter, at "/" only when neither can be entered.
    bool entered = false;
    for (const std::string& folder : {HomeFolder(), session_.StartDirectory(), std::string("/")}) {
        if (folder.empty()) continue;
        std::filesystem::current_path(folder, error);
        if (!error) {
            entered = true;
            break;
        }
    }
    if (!entered) ok = false;
    const auto browse = std::filesystem::current_path(error);
    state_.browseDirectory = error ? std::string("/") : browse.string();
    clicks_.Seed(seed);
    if (logic_.Start()) views_.FillForTab();
    return ok;
}

void WindowController::ChooseAdapter(int index) {
    if (logic_.ChooseAdapter(index)) views_.FillForTab();
}

void WindowController::ChooseDevice(int index) {
    if (logic_.ChooseDevice(index)) views_.FillForTab();
}

void WindowController::ChooseTab(int tab) {
    if (logic_.ChooseTab(tab)) views_.FillForTab();
}

JobResult WindowController::EjectTape() {
    const JobResult result = maintenance_.EjectTape();
    if (result == JobResult::Done) {
        session_.CurrentTapeName().clear();
        session_.CurrentDirFilePath().clear();
        // An autoloader loads the next cartridge: say which one stands in
        // the drive now.
        if (state_.statusText == " Ready.") {
            std::string name, date, version;
            if (session_.Volume().ReadIdentBlock(name, date, version) == 0)
                status_.ShowStatus(" Ready. Loaded: tape '" + name + "'");
            else
                status_.ShowStatus(" Ready. Loaded: a tape without a name (blank or not formatted)");
        }
    }
    return result;
}

std::string WindowController::FloppyFolder() const { return CatalogCopyFolder(session_.StartDirectory()); }

#include "ui/ListHandlers.h"

#include "catalog/DirFileFormat.h"
#include "tape/JoinPath.h"
#include "catalog/DirFileLister.h"
#include "app/DriveBrowser.h"
#include "ui/LabelText.h"
#include "lists/ListImage.h"
#include "lists/ListMarker.h"
#include "ui/MainWindowLogic.h"
#include "ui/TabLayout.h"

namespace {

constexpr char kDirectoryFilesLabel[] = "Tape Directory Files:";

bool MarksOnTab(int tab) { return tab == kBackupTab || tab == kRestoreTab || tab == kVerifyTab; }

}  // namespace

ListHandlers::ListHandlers(MainWindowLogic& window, DriveBrowser& browser, DirFileLister& lister)
    : window_(window), browser_(browser), lister_(lister) {}

void ListHandlers::ClickLeft() {
    WindowState& state = window_.State();
    if (!MarksOnTab(state.tab)) return;
    const std::int64_t total = ListMarker::Click(state.leftList, state.tab);
    window_.Counters().bytesTotal = total;
    window_.ShowProgress(0, total);
}

void ListHandlers::MarkAll() {
    WindowState& state = window_.State();
    const std::int64_t total = ListMarker::MarkAll(state.leftList, state.tab);
    window_.Counters().bytesTotal = total;
    window_.ShowProgress(0, total);
}

void ListHandlers::MarkNone() {
    WindowState& state = window_.State();
    ListMarker::UnmarkAll(state.leftList, state.tab);
    window_.Counters().bytesTotal = 0;
    window_.ShowProgress(0, 0);
}

bool ListHandlers::Browse(bool left) {
    WindowState& state = window_.State();
    ListModel& list = left ? state.leftList : state.rightList;
    const std::ptrdiff_t focused = list.FocusedIndex();
    if (focused < 0) return false;
    const ListRow& row = list.Row(static_cast<std::size_t>(focused));
    std::string target;
    if (row.image == kImageFolder || row.image == kImageGreenFolder) {
        // Only one list at a time is filled by the browser, so its current
        // path is the folder this list shows (the start directory for the
        // Utilities tab's catalogs).
        JoinPath(browser_.CurrentPath(), row.Text(0), target);
    } else if (row.image == kImageDrive) {
        target = row.Text(0);
    } else {
        return false;
    }
    const bool entered = browser_.Fill(list, target, "*.*") == 0;
    state.browseDirectory = browser_.CurrentPath();
    (left ? state.leftLabel : state.rightLabel) = LabelText::BrowsePath(state.browseDirectory);
    if (!left) state.shownCatalog.clear();
    if (left && entered) {
        // A folder that could not be entered keeps its list and its marks,
        // so the total stays theirs.
        window_.Counters().bytesTotal = 0;
        window_.ShowProgress(0, 0);
    }
    return true;
}

void ListHandlers::DoubleClickLeft() {
    if (window_.State().tab != kBackupTab) return;
    Browse(true);
}

void ListHandlers::DoubleClickRight() {
    if (Browse(false)) return;
    WindowState& state = window_.State();
    const std::ptrdiff_t focused = state.rightList.FocusedIndex();
    if (state.tab != kUtilitiesTab || focused < 0) return;
    const ListRow& row = state.rightList.Row(static_cast<std::size_t>(focused));
    if (row.image != kImageDirFile) return;
    if (row.Text(0) == "..") {
        state.rightLabel = kDirectoryFilesLabel;
        state.shownCatalog.clear();
        browser_.Fill(state.rightList, state.startDirectory, "*.twd");
        return;
    }
    const std::string name = row.Text(0);
    state.rightLabel = "Contents of tape '" + name + "':";
    state.shownCatalog = name;
    // The row is a file of the start directory less its ".twd", so the
    // path names that same file.
    std::string path;
    JoinPath(state.startDirectory, name, path);
    path += DirFileFormat::kExtension;
    lister_.ListDirFile(state.rightList, path, true);
}

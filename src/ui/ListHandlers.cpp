#include "ui/ListHandlers.h"

#include "app/DriveBrowser.h"
#include "lists/ListImage.h"
#include "lists/ListMarker.h"
#include "report/StatusSink.h"
#include "tape/JoinPath.h"
#include "ui/ListViews.h"
#include "ui/TabLayout.h"
#include "ui/WindowState.h"

namespace {

bool MarksOnTab(int tab) { return tab == kBackupTab || tab == kRestoreTab || tab == kVerifyTab; }

}  // namespace

ListHandlers::ListHandlers(WindowState& state, StatusSink& status, ByteCounters& counters, DriveBrowser& browser,
                           ListViews& views)
    : state_(state), status_(status), counters_(counters), browser_(browser), views_(views) {}

void ListHandlers::ShowTotal(std::int64_t total) {
    counters_.bytesTotal = total;
    status_.ShowProgress(0, total);
}

void ListHandlers::ClickLeft() {
    if (!MarksOnTab(state_.tab)) return;
    ShowTotal(ListMarker::Click(state_.leftList, state_.tab));
}

void ListHandlers::MarkAll() { ShowTotal(ListMarker::MarkAll(state_.leftList, state_.tab)); }

void ListHandlers::MarkNone() {
    ListMarker::UnmarkAll(state_.leftList, state_.tab);
    ShowTotal(0);
}

bool ListHandlers::Browse(bool left) {
    const ListModel& list = left ? state_.leftList : state_.rightList;
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
    // A folder that could not be entered keeps its list and its marks, so
    // the total stays theirs.
    if (views_.ShowFolder(left, target) == 0 && left) ShowTotal(0);
    return true;
}

void ListHandlers::DoubleClickLeft() {
    if (state_.tab != kBackupTab) return;
    Browse(true);
}

void ListHandlers::DoubleClickRight() {
    if (Browse(false)) return;
    const std::ptrdiff_t focused = state_.rightList.FocusedIndex();
    if (state_.tab != kUtilitiesTab || focused < 0) return;
    const ListRow& row = state_.rightList.Row(static_cast<std::size_t>(focused));
    if (row.image != kImageDirFile) return;
    if (row.Text(0) == "..") {
        views_.ShowDirectoryFiles();
        return;
    }
    // A copy: the view refills the list the row lives in.
    views_.ShowCatalogContents(std::string(row.Text(0)));
}

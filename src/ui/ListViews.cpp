#include "ui/ListViews.h"

#include <utility>

#include "app/DriveBrowser.h"
#include "app/Session.h"
#include "catalog/DirFileFormat.h"
#include "catalog/DirFileLister.h"
#include "tape/JoinPath.h"
#include "ui/LabelText.h"
#include "ui/TabLayout.h"
#include "ui/WindowState.h"

namespace {

constexpr char kDirectoryFilesLabel[] = "Tape Directory Files:";

}  // namespace

ListViews::ListViews(WindowState& state, Session& session, DriveBrowser& browser, DirFileLister& lister)
    : state_(state), session_(session), browser_(browser), lister_(lister) {}

ListModel& ListViews::List(bool left) { return left ? state_.leftList : state_.rightList; }

std::string& ListViews::Label(bool left) { return left ? state_.leftLabel : state_.rightLabel; }

void ListViews::SetLabel(bool left, std::string shown, const std::string& whole) {
    (left ? state_.leftLabelWhole : state_.rightLabelWhole) = shown == whole ? std::string() : whole;
    Label(left) = std::move(shown);
}

void ListViews::Forget(bool left) {
    if (!left) state_.shownCatalog.clear();
}

void ListViews::FillForTab() {
    const TabLayout& layout = TabLayout::For(state_.tab);
    for (const bool left : {true, false}) {
        switch (left ? layout.leftRole : layout.rightRole) {
        case ListRole::Hidden:
            Forget(left);
            break;
        case ListRole::DriveBrowser:
            ShowFolder(left, state_.browseDirectory);
            break;
        case ListRole::TapeDirectory:
            ShowTapeCatalog(left);
            break;
        case ListRole::DirectoryFiles:
            DirectoryFiles(left);
            break;
        }
    }
}

int ListViews::ShowFolder(bool left, const std::string& folder) {
    Forget(left);
    const int entered = browser_.Fill(List(left), folder, "*.*");
    state_.browseDirectory = browser_.CurrentPath();
    SetLabel(left, LabelText::BrowsePath(state_.browseDirectory), state_.browseDirectory);
    return entered;
}

void ListViews::ShowTapeCatalog(bool left) {
    Forget(left);
    SetLabel(left, "Tape:", "Tape:");
    if (session_.CurrentDirFilePath().empty()) return;
    const std::string& name = session_.CurrentTapeName();
    SetLabel(left,
             LabelText::TapeLabel(name, left ? LabelText::kLeftTapeLabelLimit : LabelText::kRightTapeLabelLimit),
             "Tape: '" + name + "'");
    lister_.ListDirFile(List(left), session_.CurrentDirFilePath(), false);
}

void ListViews::ShowDirectoryFiles() { DirectoryFiles(false); }

void ListViews::DirectoryFiles(bool left) {
    Forget(left);
    SetLabel(left, kDirectoryFilesLabel, kDirectoryFilesLabel);
    browser_.Fill(List(left), session_.StartDirectory(), "*.twd");
}

void ListViews::ShowCatalogContents(const std::string& tapeName) {
    SetLabel(false, "Contents of tape '" + tapeName + "':", "Contents of tape '" + tapeName + "':");
    state_.shownCatalog = tapeName;
    // The row is a file of the start directory less its ".twd", so the path
    // names that same file.
    std::string path;
    JoinPath(session_.StartDirectory(), tapeName, path);
    path += DirFileFormat::kExtension;
    lister_.ListDirFile(state_.rightList, path, true);
}

#pragma once
// What the window's two lists show and how their labels read: a browsed
// folder, the current tape's catalog, the directory files of the start
// directory, or the entries of one of them. The tab layout says which list
// shows what; commands ask for one view at a time. Every view of the right
// list but the entries of one directory file forgets the shown catalog.

#include <string>

class DirFileLister;
class DriveBrowser;
class ListModel;
class Session;
struct WindowState;

class ListViews {
public:
    // All belong to the window and outlive this object.
    ListViews(WindowState& state, Session& session, DriveBrowser& browser, DirFileLister& lister);

    // Both lists as the selected tab's layout has them, once it emptied them.
    void FillForTab();
    // folder (absolute, or relative to the browsed folder) in one list, its
    // label the browsed path. 0, or -1 when the folder cannot be entered:
    // list and browsed folder then stay as they were.
    int ShowFolder(bool left, const std::string& folder);
    // The current tape's catalog, its label cut for its side; "Tape:" over
    // an empty list while no tape's catalog is current.
    void ShowTapeCatalog(bool left);
    // The right list as the Utilities tab first shows it.
    void ShowDirectoryFiles();
    // The entries of tapeName's directory file in the right list, behind an
    // "<Up>" row.
    void ShowCatalogContents(const std::string& tapeName);

private:
    ListModel& List(bool left);
    std::string& Label(bool left);
    // Sets the label; whole: what it stands for when shown is cut.
    void SetLabel(bool left, std::string shown, const std::string& whole);
    void Forget(bool left);
    void DirectoryFiles(bool left);

    WindowState& state_;
    Session& session_;
    DriveBrowser& browser_;
    DirFileLister& lister_;
};

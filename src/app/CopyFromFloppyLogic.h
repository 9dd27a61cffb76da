#pragma once
// The Copy From Floppy dialog without a toolkit. Its list shows one of two
// views: the directory files in the floppy folder (the path label names the
// folder), or the entries of one of them behind an "<Up>" row (the label
// reads "Contents of Directory File '" + folder + name + "':"). The list
// keeps its rows sorted by their first column, as the dialog's list view
// sorts what is inserted. OK copies the chosen directory files into the start
// directory.

#include <cstddef>
#include <string>
#include <vector>

#include "lists/ListModel.h"
#include "report/MessageSink.h"

class DirFile;
class DirFileCopy;
class DriveBrowser;

class CopyFromFloppyLogic {
public:
    // All owned by the dialog and alive as long as this object; copy names
    // the floppy folder and the start directory.
    CopyFromFloppyLogic(MessageSink& messages, DriveBrowser& browser, DirFile& dirFile, DirFileCopy& copy);

    // Columns and the floppy view. false when the floppy folder cannot be
    // listed ("Change Dir Error!" already shown): the dialog then closes as
    // if cancelled.
    bool Initialise();
    // A double click: acts on the focused row when it is a directory file
    // (image 13): ".." goes back to the floppy view, any other opens its
    // contents view.
    void OpenFocused();
    // The OK button; true when the dialog is to close with OK.
    bool Accept();
    // Whether the last Accept copied every file it was to copy (none was
    // declined or failed).
    bool AllCopied() const { return allCopied_; }
    // The file names the last Accept copied, in list order.
    const std::vector<std::string>& Copied() const { return copied_; }

    ListModel& List() { return list_; }
    const ListModel& List() const { return list_; }
    const std::string& PathLabel() const { return pathLabel_; }
    bool ShowsContents() const { return !contentsName_.empty(); }

private:
    void ShowFloppy();
    void ShowContents(const std::string& name);
    void SortByText();
    std::string FloppyPathOf(const std::string& name) const;

    MessageSink& messages_;
    DriveBrowser& browser_;
    DirFile& dirFile_;
    DirFileCopy& copy_;
    ListModel list_;
    std::string folder_;  // the floppy folder, ending in "/"
    std::string pathLabel_;
    std::string contentsName_;  // the directory file shown, empty in the floppy view
    bool allCopied_ = false;
    std::vector<std::string> copied_;
};

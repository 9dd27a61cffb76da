#pragma once
// The window as the jobs see it: the marks in the left list, the browsed
// folder, the right list and the drive's state. The main window implements
// it over its list models and drive browser; a command-line front end or a
// test implements it over whatever it keeps.

#include <string>

class JobWindow {
public:
    virtual ~JobWindow() = default;

    // Rows of the left list.
    virtual int RowCount() = 0;
    // Rows of the left list whose image is `image`.
    virtual int CountMarked(int image) = 0;
    // Column-0 text of the k-th row (from 1, in list order) with that image
    // into name; empty when there are fewer. An out-parameter, so that a
    // job's loop over its files need not allocate.
    virtual void NthMarkedName(int image, int k, std::string& name) = 0;
    // -1 when row is past the end, else 1 when the row has that image, 0 not.
    virtual int IsMarkedAt(int image, int row) = 0;
    // The browsed folder, ending with "/".
    virtual std::string CurrentPath() = 0;

    // Fills the right list with the catalog at path, without the "<Up>" row.
    virtual void ListTapeDirectory(const std::string& path) = 0;
    // Refills the right list with the browsed folder and shows it at once.
    virtual void RefillTargetFolder() = 0;
    // The drive's state into the status line.
    virtual void ShowDriveStatus() = 0;
    // Empties the label beside the progress bar.
    virtual void ClearByteLabel() = 0;
};

#pragma once
// Lists a directory file (a tape's catalog) into a ListModel: one row per
// entry in file order, so row i shows entry i + 1 (restore and verify rely
// on it). Texts: name, size, file date, backup date; image 14 for a name
// ending in "zip" in any case, else 10; item data is the entry's index.
// With the "<Up>" row (the Utilities tab's view of one catalog) row 0 is
// "..", "<Up>" with image 13 and every entry moves down by one.

#include <functional>
#include <string>

#include "report/MessageSink.h"

class DirFile;
class ListModel;

class DirFileLister {
public:
    // dirFile and messages: the window's; showDriveStatus runs after a
    // failure, as every failed command of the window ends.
    DirFileLister(DirFile& dirFile, MessageSink& messages, std::function<void()> showDriveStatus);

    // 0, or -1 when the file cannot be opened or its entries not reached
    // (an Error message has been shown; the list holds what was added).
    int ListDirFile(ListModel& list, const std::string& path, bool withUpRow);

    // 14 when the last three characters are "zip" in any case, else 10.
    static int ImageFor(const std::string& name);

private:
    DirFile& dirFile_;
    MessageSink& messages_;
    std::function<void()> showDriveStatus_;
};

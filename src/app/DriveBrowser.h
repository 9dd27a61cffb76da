#pragma once
// Lists a hard-drive folder into a ListModel and answers the jobs' questions
// about the marks. Keeps its own current path instead of changing the
// process's current directory, so nothing else depends on where the user
// browsed.
//
// Rows made by Fill (texts: name, "Size", "FileDate"; item data is the sort
// key, so groups come out drives, folders, files):
//   drive       "/" and the mount points of disk filesystems, "<Drive>", image 3
//   folder      name ("." and ".." first), "<Dir>", date, image 6
//   catalog     name less its last 4 characters, "<TapeDir>", date, image 13
//               (a file whose name ends in "twd")
//   archive     name, size, date, image 14 (name ends in "zip", exact case)
//   other file  name, size, date, image 10
// Sizes are 64-bit decimal; dates are day.month.year without leading zeros.
//
// Used by the window for both lists (browser and the Utilities tab's list of
// catalogs, pattern "*.twd"), and by the jobs: CurrentPath is the folder the
// marked names are in.

#include <cstdint>
#include <string>

#include "report/MessageSink.h"

class ListModel;

class DriveBrowser {
public:
    // messages: the browser's own, for "Change Dir Error!". mountsFile: the
    // kernel's mount table ("/proc/self/mounts"); tests pass their own.
    explicit DriveBrowser(MessageSink& messages, std::string mountsFile = "/proc/self/mounts");

    // Lists directory (absolute, or relative to the current path: "..", a
    // subfolder name) into list; drives too when pattern is "*.*", which
    // matches every name; other patterns are shell wildcards. Returns 0, or
    // -1 with "Change Dir Error!" shown when the folder cannot be read; the
    // list and the current path then stay as they were.
    int Fill(ListModel& list, const std::string& directory, const std::string& pattern);
    // The folder last listed, always ending in "/"; "/" at first.
    const std::string& CurrentPath() const { return currentPath_; }

    // The sort key of a name: its first three bytes as signed values,
    // c0 * 65536 + c1 * 256 + c2 (missing ones count 0).
    static std::int32_t NameKey(const std::string& name);

private:
    void AddDrives(ListModel& list) const;

    MessageSink& messages_;
    std::string mountsFile_;
    std::string currentPath_ = "/";
};

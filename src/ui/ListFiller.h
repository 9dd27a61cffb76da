#pragma once
// Fills a list from the hard drive or from a directory file. The drive
// browser and the catalog listing implement it; the tab layout only decides
// which list shows what.

#include <string>

class ListModel;

class ListFiller {
public:
    virtual ~ListFiller() = default;
    // Lists directory (drives too when pattern is "*.*"); 0, or -1 when the
    // directory cannot be entered.
    virtual int Fill(ListModel& list, const std::string& directory, const std::string& pattern) = 0;
    // The browsed directory, ending with "/".
    virtual std::string CurrentPath() const = 0;
    // One row per catalog entry of the directory file at path; 0 or -1.
    virtual int ListDirFile(ListModel& list, const std::string& path, bool withUpRow) = 0;
};

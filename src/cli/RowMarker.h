#pragma once
// Marks the rows that the command line names, as clicks in the window mark
// them: the file's or archive's marked image by the tab. Returns the sum of
// the marked rows' sizes (the job's bytesTotal), or -1 with the first name
// that has no row in missing.

#include <cstdint>
#include <string>
#include <vector>

class ListModel;

class RowMarker {
public:
    // Rows of a browsed folder (backup): a name marks its file or archive.
    // Folders, drives and directory files cannot be marked.
    static std::int64_t MarkFiles(ListModel& list, const std::vector<std::string>& names, std::string& missing);
    // Rows of a catalog (restore, verify): a name marks its last entry, the
    // newest copy on tape.
    static std::int64_t MarkEntries(ListModel& list, int tab, const std::vector<std::string>& names,
                                    std::string& missing);
    // Every entry of a catalog, as "All" does.
    static std::int64_t MarkAllEntries(ListModel& list, int tab);
};

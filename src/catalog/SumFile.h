#pragma once
// The sums file beside a directory file (layout in SumFileFormat.h),
// written in step with the catalog's entries: DirFile calls it wherever it
// writes the catalog, at the same points, and puts it on the medium with
// it. Results are return codes only.

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/SumRecord.h"
#include "tape/LocalFile.h"

class SumFile {
public:
    // The sums file of a catalog: its ".twd" replaced by ".tws" (appended
    // to a name without it).
    static void PathOf(const std::string& catalogPath, std::string& sumsPath);
    // A sums file of the header only, in place of whatever stands under its
    // name (a link there is replaced). 0 or -1.
    static int Create(const std::string& catalogPath);
    // Removes the catalog's sums file; 0 also when there was none.
    static int Remove(const std::string& catalogPath);
    // The records from the first, as many as the file holds whole; none for
    // a catalog without sums file (or with one this program does not read).
    // -1 when it exists and cannot be read.
    static int Load(const std::string& catalogPath, std::vector<SumRecord>& records);

    SumFile();
    SumFile(const SumFile&) = delete;
    SumFile& operator=(const SumFile&) = delete;

    // The append run: opens the catalog's sums file, made anew when it is
    // missing or not one this program reads. 0 or -1.
    int Begin(const std::string& catalogPath);
    // Writes record `index` (from 0) and cuts off anything after it; the
    // records between the file's end and it read as without checksum.
    int Put(std::int64_t index, const SumRecord& record);
    int Sync();
    // Syncs and closes; 0 when no run is open.
    int End();

private:
    LocalFile file_;
    std::string path_;
    bool failed_ = false;
};

#pragma once
// The sums records of the current catalog, read once per job, each matched
// with its entry: a record is used only for the entry whose name (and,
// where known, size) it was written for.

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/SumRecord.h"

class DirFile;

class CatalogSums {
public:
    // Reads the catalog's entries and its sums file; a catalog that cannot
    // be read leaves no entries, a missing sums file no facts. The catalog's
    // read sequence is closed after it. 0, or -1 when the sums file exists
    // and cannot be read.
    int Load(DirFile& dirFile, const std::string& catalogPath);

    int Entries() const { return static_cast<int>(names_.size()); }
    // The entry at index (from 0).
    const std::string& Name(int index) const { return names_[static_cast<std::size_t>(index)]; }
    std::int32_t Size(int index) const { return sizes_[static_cast<std::size_t>(index)]; }
    // Its facts; null when the catalog keeps none that fit it.
    const FileFacts* Facts(int index) const;
    // The facts of an entry with a checksum; null without.
    const FileFacts* Summed(int index) const;

private:
    std::vector<std::string> names_;
    std::vector<std::int32_t> sizes_;
    std::vector<SumRecord> records_;
};

#pragma once
// Puts the tape on the record of each catalog entry a restore or verify
// asks for, in ascending order. Every entry up to the last one asked for is
// read from the catalog, asked for or not, so entries and records stay in
// step (and so are those after it, as far as the face lists them); entry
// i's record lies after filemark i + 1, so the tape moves
// forward over i + 1 - p filemarks, p being those passed already (a record
// read whole ends after its own filemark: nothing to space over for the
// entry after it).

#include <cstdint>
#include <string>
#include <vector>

#include "report/MessageTable.h"

struct JobContext;

// A failure of the walk itself is shown as an Error message, followed by the
// drive's state, and closes the catalog.
class EntryWalk {
public:
    // entries: ascending, from 0; listed: the entries read in all (at
    // least to the last of entries).
    EntryWalk(JobContext& context, const std::vector<int>& entries, int listed);

    // Opens the current catalog at its first entry; false after a failure.
    bool Open();
    // Moves to the next asked entry's record and shows " Reading file: "
    // with its name; false at the end of the list or after a failure.
    bool Next();
    bool Failed() const { return failed_; }
    // The record just located has been read up to and over its filemark.
    void PassedFilemark() { ++passed_; }
    // Its number on tape, from 1.
    int Record() const { return entry_; }

    // The entry of the record just located.
    const std::string& Name() const { return name_; }
    const std::string& FileDate() const { return fileDate_; }
    std::int32_t Size() const { return size_; }
    std::int32_t BlockCount() const { return blockCount_; }

private:
    bool Fail(MessageId id);
    // Reads the catalog's next entry; false after a failure.
    bool ReadEntry();

    JobContext& c_;
    const std::vector<int>& entries_;
    int listed_;
    std::size_t next_ = 0;  // in entries_
    int entry_ = 0;         // entries read from the catalog
    int passed_ = 0;
    bool open_ = false;
    bool failed_ = false;
    std::string name_;
    std::string fileDate_;
    std::string backupDate_;
    std::string text_;
    std::int32_t size_ = 0;
    std::int32_t blockCount_ = 0;
};

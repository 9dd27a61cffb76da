#pragma once
// Puts the tape on the record of each row marked in the catalog list, in
// list order. Every row reads its catalog entry, marked or not, so rows and
// entries stay in step; row i's record lies after filemark i + 1, so the
// tape moves forward over i + 1 - p filemarks, p being those passed already
// (a record read whole ends after its own filemark: nothing to space over
// for the row after it). Restore and verify walk the same way.

#include <cstdint>
#include <string>

struct JobContext;

// A failure of the walk itself is shown as an Error message, followed by the
// drive's state, and closes the catalog.
class MarkedRecordWalk {
public:
    // fileImage, archiveImage: the row images that mark a row.
    MarkedRecordWalk(JobContext& context, int fileImage, int archiveImage);

    // Opens the current catalog at its first entry; false after a failure.
    bool Open();
    // Moves to the next marked row's record and shows " Reading file: "
    // with its name; false at the end of the list or after a failure.
    bool Next();
    bool Failed() const { return failed_; }
    // The record just located has been read up to and over its filemark.
    void PassedFilemark() { ++passed_; }
    // Its number on tape, from 1.
    int Record() const { return row_; }

    // The entry of the row just located.
    const std::string& Name() const { return name_; }
    const std::string& FileDate() const { return fileDate_; }
    std::int32_t Size() const { return size_; }
    std::int32_t BlockCount() const { return blockCount_; }

private:
    bool Fail(const char* text);

    JobContext& c_;
    int fileImage_;
    int archiveImage_;
    int rows_ = 0;
    int row_ = 0;
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

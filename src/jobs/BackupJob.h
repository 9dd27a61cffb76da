#pragma once
// Appends the files marked in the hard-drive browser to the end of the tape,
// zip archives first, one file record each, and after each record its entry
// to the tape's catalog, so entry k keeps describing the record after the
// k-th filemark. Every failure ends the run at once; nothing is undone.
// Nothing is written behind a catalog that is damaged or does not list
// every complete record on the tape.

#include <string>

#include "jobs/JobContext.h"
#include "jobs/JobResult.h"
#include "jobs/TapeCheck.h"

class BackupJob {
public:
    explicit BackupJob(JobContext& context);
    JobResult RunBackup();

private:
    // Refuses, before the tape is touched, a file the formats cannot hold:
    // a name that is not a plain name, longer than 254 bytes or the reserved
    // name, a size of 2 GiB or more. 0 when every marked file fits.
    int CheckMarkedFiles();
    int CheckFile(int image, int k);
    // Looks at the catalog and puts the tape where the next record goes;
    // Done, or what ended the run after its messages.
    JobResult LocateWritePosition(int selected, int& entries);
    // Writes the marked rows with this image; 0, or -1 after the messages.
    int WriteMarked(int image, std::int64_t& transferSeconds);
    // Puts the entries written so far on the medium and closes the
    // catalog; 0 or -1.
    int EndEntries();
    void Fail(const char* message);

    JobContext& c_;
    TapeCheck check_;
    std::string name_;
    std::string folder_;
    std::string path_;
    std::string text_;
};

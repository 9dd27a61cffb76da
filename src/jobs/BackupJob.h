#pragma once
// Appends the files a BackupRequest names to the end of the tape, zip
// archives first, one file record each, and after each record its entry to
// the tape's catalog, so entry k keeps describing the record after the k-th
// filemark. Every failure ends the run at once; nothing is undone. Nothing
// is written behind a catalog that is damaged or does not list every
// complete record on the tape.

#include <string>

#include "jobs/JobContext.h"
#include "jobs/JobReport.h"
#include "jobs/JobRequests.h"
#include "jobs/TapeCheck.h"

class BackupJob {
public:
    explicit BackupJob(JobContext& context);
    JobReport Run(const BackupRequest& request);

private:
    // Refuses, before the tape is touched, a file the formats cannot hold:
    // a name that is not a plain name, longer than 254 bytes or the reserved
    // name, a size of 2 GiB or more. 0 when every file fits.
    int CheckFiles(const BackupRequest& request);
    int CheckFile(const std::string& folder, const std::string& name);
    // Looks at the catalog and puts the tape where the next record goes;
    // Done, or what ended the run after its messages.
    JobResult LocateWritePosition(std::size_t selected, int& entries);
    // Writes these files; 0, or -1 after the messages.
    int WriteFiles(const std::string& folder, const std::vector<std::string>& names, int& record,
                   std::int64_t& transferSeconds);
    // Puts the entries written so far on the medium and closes the
    // catalog; 0 or -1.
    int EndEntries();
    // The message, then the drive's state.
    void Fail(MessageId id, const CommandFailure& failure = {});

    JobContext& c_;
    TapeCheck check_;
    JobReport report_;
    std::string path_;
    std::string text_;
};

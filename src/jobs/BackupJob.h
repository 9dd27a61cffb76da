#pragma once
// Appends the files a BackupRequest names to the end of the tape, zip
// archives first, one file record each, and after each record its entry to
// the tape's catalog, so entry k keeps describing the record after the k-th
// filemark. Every failure ends the run at once; nothing is undone. Nothing
// is written behind a catalog that is damaged or does not list every
// complete record on the tape. A write that reaches the tape's early
// warning ends the run after its record, naming the files left for the
// next tape; one the drive's reset or a cartridge change interrupted stops
// at the last complete record. Streaming, the records go to the drive
// without waiting for the tape, and their entries are written after one
// flush that puts them on the medium (at the end, or where the run stops):
// an entry on disk always names a record on the medium. A stop the user
// asks for (JobContext::stop) ends the run before the next file, as a
// complete run ends, and the result is Declined.

#include <string>
#include <vector>

#include "jobs/JobContext.h"
#include "jobs/JobDrive.h"
#include "jobs/JobReport.h"
#include "jobs/JobRequests.h"
#include "jobs/TapeCheck.h"
#include "tape/FileFacts.h"
#include "tape/FileHeader.h"

class BackupJob {
public:
    explicit BackupJob(JobContext& context);
    JobReport Run(const BackupRequest& request);

private:
    JobReport RunOnDrive(const BackupRequest& request);
    // Refuses, before the tape is touched, a file the formats cannot hold:
    // a name that is not a plain name, longer than 254 bytes or the reserved
    // name, a size of 2 GiB or more. 0 when every file fits.
    int CheckFiles(const BackupRequest& request);
    int CheckFile(const std::string& folder, const std::string& name);
    // Looks at the catalog and puts the tape where the next record goes;
    // Done, or what ended the run after its messages.
    JobResult LocateWritePosition(std::size_t selected, int& entries);
    // Writes the files in order_; Done, or what ended the run after its
    // messages.
    JobResult WriteFiles(const std::string& folder, int& record, std::int64_t& transferSeconds);
    // The entry of the record just written: into the catalog, or
    // (streaming) held until the next flush. 0 or -1.
    int TakeEntry(int record, const FileHeader& header);
    // Puts the held entries' records on the medium (one flush) and their
    // entries into the catalog; drop: their records cannot be trusted to be
    // on the medium (the drive was reset, or lost its buffer at the end of
    // the tape), so they are named among the files not backed up. Then the
    // entries written so far go on the disk and the catalog is closed. 0,
    // or -1 when the catalog cannot be written.
    int EndEntries(bool drop = false);
    // The write of name (order_[next], or a held one) failed: the held
    // entries as EndEntries(drop) leaves them, and the message that says
    // what was lost. Failed.
    JobResult Stopped(const std::string& name, std::size_t next);
    // The run stopped before order_[next]: which files were not backed up,
    // and who can take them.
    std::string NotBackedUp(std::size_t next, const char* advice) const;
    // The message, then the drive's state.
    void Fail(MessageId id, const CommandFailure& failure = {});

    JobContext& c_;
    TapeCheck check_;
    JobDrive drive_;
    JobReport report_;
    std::string path_;
    std::string text_;
    // The files in the order they go to tape.
    std::vector<const std::string*> order_;
    // Streaming: the records written since the last flush, whose entries wait.
    std::vector<FileHeader> held_;
    std::vector<int> heldRecords_;
    std::vector<FileFacts> heldFacts_;
    std::size_t heldCount_ = 0;
    // Names of held records that the run gave up (see EndEntries), and
    // whether the last EndEntries gave them up because its flush failed.
    std::vector<const std::string*> dropped_;
    bool flushFailed_ = false;
    // Where a stop the user asked for ended the run (order_.size(): it did not).
    std::size_t stoppedAt_ = 0;
    // The request's: a full tape or catalog is where the next tape takes over.
    bool spanning_ = false;
    // Spanning: the catalog had room for only the first files of order_.
    bool catalogFilled_ = false;
};

#pragma once
// Copies files from the tape into a folder: the catalog entries a
// RestoreRequest names, each found by counting filemarks (entry i is the
// record after filemark i + 1), or, with none named and the user's consent,
// every record on the tape without the catalog. In the full restore damage
// costs one record: it is reported with its number and skipped. The closing
// message says what was not restored (RestoreOutcome); the report says it
// record by record.

#include <cstdint>
#include <string>

#include "jobs/CatalogSums.h"
#include "jobs/JobContext.h"
#include "jobs/JobDrive.h"
#include "jobs/JobReport.h"
#include "jobs/JobRequests.h"
#include "jobs/RestoreOutcome.h"
#include "jobs/TapeCheck.h"
#include "jobs/TapeWalk.h"

class RestoreJob {
public:
    explicit RestoreJob(JobContext& context);
    JobReport Run(const RestoreRequest& request);

private:
    // Restores each record the walk over the tape meets.
    class FullRestorer : public TapeWalk::Visitor {
    public:
        explicit FullRestorer(RestoreJob& job) : job_(job) {}
        TapeWalk::Step Visit(int record) override;
        bool Take(int record, RecordFault fault) override;

        std::int64_t bytes = 0;
        bool failed = false;  // a file could not be put in place (message shown)
        // The record whose reading the drive's reset interrupted (0: none) and its name.
        int interruptedAt = 0;
        std::string interruptedName;

    private:
        RestoreJob& job_;
    };

    JobResult FullRestore();
    JobResult SelectiveRestore(const RestoreRequest& request);
    // Message, drive state and, when the catalog is open, its Close.
    void Fail(MessageId id, bool close, const CommandFailure& failure = {});
    // The end of a run whose restored files could not all be put in place
    // (the volume has said which).
    JobResult FailFinishing(bool close);
    // Removes what restores killed before they finished left in the target
    // folder, and says so.
    void RemoveStaleTemporaries();
    // The drive lost the tape's position at record `record` (name): the
    // files restored so far are put in place and named; notRestored: what
    // else was asked for (empty: the rest of the tape). Failed.
    JobResult Interrupted(int record, const std::string& name, const std::string& notRestored);
    // The closing message from outcome_, and the counters reset.
    JobResult Finish(std::int64_t bytes, std::int64_t start);

    // A file whose data does not match its checksum (kept aside, the
    // message shown): counted and reported as damage, the run goes on.
    void SumDiffers(int record, const std::string& name);

    JobContext& c_;
    TapeCheck check_;
    JobDrive drive_;
    CatalogSums sums_;
    JobReport report_;
    std::int64_t transferSeconds_ = 0;
    RestoreOutcome outcome_;
    // The full restore reads the ident block's date and version into these.
    std::string fileDate_;
    std::string version_;
    std::string folder_;
};

#pragma once
// Copies files from the tape into the browsed folder: the rows marked in the
// tape's catalog, each found by counting filemarks (row i is the record
// after filemark i + 1), or, with nothing marked and the user's consent,
// every record on the tape without the catalog. In the full restore damage
// costs one record: it is reported with its number and skipped. The closing
// message says what was not restored (RestoreOutcome).

#include <cstdint>
#include <string>

#include "jobs/JobContext.h"
#include "jobs/JobResult.h"
#include "jobs/RestoreOutcome.h"
#include "jobs/TapeCheck.h"
#include "jobs/TapeWalk.h"

class RestoreJob {
public:
    static constexpr const char* kFullRestoreQuestion =
        "No files selected. Do you want to make a full restore of the tape?";

    explicit RestoreJob(JobContext& context);
    JobResult RunRestore();

private:
    // Restores each record the walk over the tape meets.
    class FullRestorer : public TapeWalk::Visitor {
    public:
        explicit FullRestorer(RestoreJob& job) : job_(job) {}
        TapeWalk::Step Visit(int record) override;
        bool Take(int record, RecordFault fault) override;

        std::int64_t bytes = 0;
        bool failed = false;  // a file could not be put in place (message shown)

    private:
        RestoreJob& job_;
    };

    JobResult FullRestore();
    JobResult SelectiveRestore();
    // Message, drive state and, when the catalog is open, its Close.
    void Fail(const char* message, bool close);
    // The end of a run whose restored files could not all be put in place
    // (the volume has said which).
    JobResult FailFinishing(bool close);
    // Removes what restores killed before they finished left in the target
    // folder, and says so.
    void RemoveStaleTemporaries();
    // The closing message from outcome_, and the counters reset.
    JobResult Finish(std::int64_t bytes, std::int64_t start);

    JobContext& c_;
    TapeCheck check_;
    std::int64_t transferSeconds_ = 0;
    RestoreOutcome outcome_;
    // The full restore reads the ident block's date and version into these.
    std::string fileDate_;
    std::string version_;
    std::string folder_;
};

#pragma once
// What a job did, as a value: how it ended, each record's or file's
// outcome with the fault and what the drive reported, and the bytes moved.
// The messages a job showed on the way say the same in words; a face that
// prints a report decides by these values, never by those words.

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/JobResult.h"
#include "report/CommandFailure.h"
#include "tape/RecordFault.h"

enum class RecordOutcome {
    Done,          // backed up, restored, or verified identical
    LeftAsItWas,   // a file under its name that the restore policy left alone
    Damaged,       // the record on tape cannot be read whole
    Declined,      // the overwrite question was answered no
    Failed,        // the file or the drive failed
    Differs,       // verify: the file on hard drive differs (at `difference`)
    NotFound,      // verify: no file on hard drive to compare
};

struct RecordReport {
    int record = 0;  // on tape, from 1
    std::string name;
    RecordOutcome outcome = RecordOutcome::Done;
    RecordFault fault = RecordFault::None;
    std::int64_t difference = -1;  // Differs: offset of the first byte that differs
    CommandFailure failure;        // what the drive reported, when it did
};

struct JobReport {
    JobResult result = JobResult::Done;
    std::vector<RecordReport> records;
    std::int64_t bytes = 0;
    // Backup: the run stopped because the tape or its catalog had no room
    // for the rest of the files; those not Done can go on another tape.
    bool tapeFull = false;

    void Add(int record, const std::string& name, RecordOutcome outcome, RecordFault fault = RecordFault::None,
             const CommandFailure& failure = {}) {
        records.push_back({record, name, outcome, fault, -1, failure});
    }
    int Count(RecordOutcome outcome) const {
        int n = 0;
        for (const RecordReport& r : records) n += r.outcome == outcome;
        return n;
    }
};

#pragma once
// Reads every record on the loaded tape, with no source file, and checks
// each against its catalog entry and the checksum the catalog's sums file
// keeps: one row per file, in tape order, then one row per entry that has
// no record on tape. Writes nothing anywhere.

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/CatalogSums.h"
#include "jobs/JobContext.h"
#include "jobs/JobReport.h"
#include "jobs/TapeCheck.h"
#include "jobs/TapeWalk.h"

struct ScrubRow {
    enum class Status {
        Ok,               // read whole, and its data matches its checksum
        WithoutChecksum,  // read whole; the catalog keeps no checksum for it
        SumDiffers,       // read whole, but its data does not match its checksum
        Damaged,          // the record cannot be read whole (fault says why)
        NotListed,        // on tape, but the catalog has no entry for it there
        NotOnTape,        // listed in the catalog, but the tape ends before its record
    };
    int record = 0;  // on tape, from 1
    std::string name;
    Status status = Status::Ok;
    RecordFault fault = RecordFault::None;
};

// The row's status in words ("OK", "damaged at record 3: ...").
std::string ScrubStatusText(const ScrubRow& row);

class ScrubJob {
public:
    explicit ScrubJob(JobContext& context);
    // Done when every record was read and every row is OK; Failed otherwise
    // (the rows say why).
    JobReport Run();
    const std::vector<ScrubRow>& Rows() const { return rows_; }

private:
    class Reader : public TapeWalk::Visitor {
    public:
        explicit Reader(ScrubJob& job) : job_(job) {}
        TapeWalk::Step Visit(int record) override;
        bool Take(int record, RecordFault fault) override;
        std::int64_t bytes = 0;
        int taken = 0;  // the last record the walk found complete or damaged

    private:
        ScrubJob& job_;
    };

    void Add(int record, const std::string& name, ScrubRow::Status status, RecordFault fault = RecordFault::None);

    JobContext& c_;
    TapeCheck check_;
    CatalogSums sums_;
    JobReport report_;
    std::vector<ScrubRow> rows_;
    std::string date_;
    std::string version_;
};

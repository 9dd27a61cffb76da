#include "jobs/ScrubJob.h"

#include "catalog/DirFileFormat.h"
#include "jobs/JobEvents.h"
#include "jobs/JobSummary.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

std::string ScrubStatusText(const ScrubRow& row) {
    switch (row.status) {
    case ScrubRow::Status::Ok:
        return "OK";
    case ScrubRow::Status::WithoutChecksum:
        return "without checksum";
    case ScrubRow::Status::SumDiffers:
        return "checksum differs: the tape is damaged";
    case ScrubRow::Status::Damaged: {
        const std::string reason = RecordFaultReason(row.fault);
        return "damaged at record " + std::to_string(row.record) + (reason.empty() ? "" : ": " + reason);
    }
    case ScrubRow::Status::NotListed:
        return "on tape but not listed";
    case ScrubRow::Status::NotOnTape:
        return "listed but not on tape";
    }
    return {};
}

ScrubJob::ScrubJob(JobContext& context) : c_(context), check_(context) {}

void ScrubJob::Add(int record, const std::string& name, ScrubRow::Status status, RecordFault fault) {
    rows_.push_back({record, name, status, fault});
    RecordOutcome outcome = RecordOutcome::Done;
    if (status == ScrubRow::Status::SumDiffers || status == ScrubRow::Status::Damaged) outcome = RecordOutcome::Damaged;
    if (status == ScrubRow::Status::NotListed || status == ScrubRow::Status::NotOnTape) outcome = RecordOutcome::Failed;
    report_.Add(record, name, outcome, fault);
}

TapeWalk::Step ScrubJob::Reader::Visit(int record) {
    ScrubJob& j = job_;
    const int entry = record - 1;
    if (entry < j.sums_.Entries()) j.c_.volume.ExpectFacts(j.sums_.Facts(entry), &j.sums_.Name(entry));
    TapeWalk::Step step;
    const int checked = j.c_.volume.CheckNextFile(j.c_.drive.blockLength);
    step.pastFilemark = j.c_.volume.PastFilemark();
    if (checked != 0) step.fault = j.c_.volume.LastFault();
    return step;
}

bool ScrubJob::Reader::Take(int record, RecordFault fault) {
    ScrubJob& j = job_;
    taken = record;
    const int entry = record - 1;
    const bool listed = entry < j.sums_.Entries();
    const FileHeader& h = j.c_.volume.LastHeader();
    bytes += j.c_.counters.bytesDone;
    // The entry's name where the header cannot be trusted.
    const std::string& name = fault == RecordFault::None || fault == RecordFault::SumDiffers || !listed
                                  ? h.name
                                  : j.sums_.Name(entry);
    if (fault == RecordFault::SumDiffers) {
        j.Add(record, name, ScrubRow::Status::SumDiffers, fault);
    } else if (fault != RecordFault::None) {
        j.Add(record, fault == RecordFault::NoHeader && !listed ? std::string() : name, ScrubRow::Status::Damaged,
              fault);
    } else if (!listed || j.sums_.Name(entry) != h.name || j.sums_.Size(entry) != h.size) {
        j.Add(record, h.name, ScrubRow::Status::NotListed);
        if (listed && !DirFileFormat::IsDamagedEntry(j.sums_.Name(entry)))
            j.Add(record, j.sums_.Name(entry), ScrubRow::Status::NotOnTape);
    } else {
        j.Add(record, h.name,
              j.c_.volume.LastReadDigest().Present() ? ScrubRow::Status::Ok : ScrubRow::Status::WithoutChecksum);
    }
    return true;
}

JobReport ScrubJob::Run() {
    report_ = JobReport{};
    rows_.clear();
    const std::int64_t start = c_.now();
    auto end = [&](JobResult result) {
        report_.result = result;
        return report_;
    };
    if (check_.Run(TapeCheck::Wording::RestoreOrVerify) != 0) return end(JobResult::Failed);
    sums_.Load(c_.dirFile, c_.currentDirFilePath);
    report_.records.reserve(static_cast<std::size_t>(sums_.Entries()));
    const DriveAddress& a = c_.drive.address;
    c_.status.ShowStatus(" Rewinding tape ...");
    std::string tapeName;
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0 ||
        c_.volume.ReadIdentBlock(tapeName, date_, version_) < 0) {
        c_.messages.ShowFailure(MessageId::IdentUnreadable, c_.volume.LastCommandFailure());
        c_.events.ShowDriveStatus();
        return end(JobResult::Failed);
    }
    c_.status.ShowStatus(" Reading all files...");
    Reader reader(*this);
    const TapeWalk::End walked = TapeWalk(c_.device, a).Run(reader);
    const int taken = reader.taken;
    if (walked.unfinished) {
        const bool listed = taken < sums_.Entries();
        Add(taken + 1, listed ? sums_.Name(taken) : c_.volume.LastHeader().name, ScrubRow::Status::Damaged,
            RecordFault::Unfinished);
    }
    // Past a place the tape cannot be read over, the entries' records
    // cannot be reached: damage, not records missing.
    const bool stuck = walked.stuckAt >= 0;
    if (stuck && taken >= sums_.Entries()) Add(taken + 1, {}, ScrubRow::Status::Damaged, RecordFault::Unreadable);
    for (int entry = taken + (walked.unfinished ? 1 : 0); entry < sums_.Entries(); ++entry) {
        if (DirFileFormat::IsDamagedEntry(sums_.Name(entry))) continue;
        if (stuck)
            Add(entry + 1, sums_.Name(entry), ScrubRow::Status::Damaged, RecordFault::Unreadable);
        else
            Add(entry + 1, sums_.Name(entry), ScrubRow::Status::NotOnTape);
    }

    c_.events.ShowDriveStatus();
    int problems = 0;
    for (const ScrubRow& row : rows_)
        if (row.status != ScrubRow::Status::Ok && row.status != ScrubRow::Status::WithoutChecksum) ++problems;
    const SummaryFigures f = JobSummaryFigures(reader.bytes, c_.now() - start, c_.now() - start);
    report_.bytes = reader.bytes;
    c_.messages.ShowMessage(MessageId::ScrubSummary, problems > 0 ? Attention : Success,
                            {problems > 0 ? "Scrub found " + std::to_string(problems) +
                                                (problems == 1 ? " problem!" : " problems!")
                                          : std::string("Scrub ended: every record was read whole!"),
                             f.bytes, f.time, f.totalRate});
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, 0);
    return end(problems > 0 ? JobResult::Failed : JobResult::Done);
}

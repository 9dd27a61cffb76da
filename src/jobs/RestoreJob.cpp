#include "jobs/RestoreJob.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobImages.h"
#include "jobs/JobSummary.h"
#include "jobs/JobWindow.h"
#include "jobs/MarkedRecordWalk.h"
#include "jobs/RecordDamage.h"
#include "jobs/TapeWalk.h"
#include "scsi/ScsiDevice.h"
#include "tape/JoinPath.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
}  // namespace

RestoreJob::RestoreJob(JobContext& context) : c_(context), check_(context) {
    for (std::string* s : {&fileDate_, &version_, &folder_}) s->reserve(kTextReserve);
}

void RestoreJob::Fail(const char* message, bool close) {
    c_.messages.ShowMessage(message, Error);
    c_.window.ShowDriveStatus();
    if (close) c_.dirFile.Close();
}

JobResult RestoreJob::FailFinishing(bool close) {
    c_.volume.Files().EndGroup();
    Fail("Restore error", close);
    c_.window.RefillTargetFolder();
    return JobResult::Failed;
}

void RestoreJob::RemoveStaleTemporaries() {
    const int removed = c_.volume.Files().RemoveStale(folder_);
    if (removed <= 0) return;
    c_.messages.ShowMessage("Removed " + std::to_string(removed) +
                                (removed == 1 ? " unfinished file" : " unfinished files") +
                                " that an interrupted restore had left in " + folder_,
                            Info);
}

JobResult RestoreJob::Finish(std::int64_t bytes, std::int64_t start) {
    const std::int64_t elapsed = c_.now() - start;
    const std::string first = outcome_.FirstLine();
    c_.messages.ShowMessage(
        JobSummary(first.c_str(), "Tape->disk rate: ", bytes, elapsed, transferSeconds_) + outcome_.Notes(),
        outcome_.Kind());
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    return outcome_.Result();
}

JobResult RestoreJob::RunRestore() {
    transferSeconds_ = 0;
    outcome_ = RestoreOutcome{};
    c_.volume.Files().SetPolicy(c_.restore);
    const int selected =
        c_.window.CountMarked(JobImages::kRestoreFile) + c_.window.CountMarked(JobImages::kRestoreArchive);
    if (selected != 0) return SelectiveRestore();
    if (c_.messages.ShowMessage(kFullRestoreQuestion, Question) != kMessageOk) return JobResult::Declined;
    return FullRestore();
}

JobResult RestoreJob::FullRestore() {
    const DriveAddress& a = c_.drive.address;
    const std::int64_t start = c_.now();
    c_.status.ShowStatus(" Rewinding tape ...");
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0) {
        Fail("Rewind tape error", false);
        return JobResult::Failed;
    }
    c_.status.ShowStatus(" Checking tape ...");
    if (c_.volume.ReadIdentBlock(c_.currentTapeName, fileDate_, version_) < 0) {
        c_.messages.ShowMessage("Error reading IdentBlock from tape", Error);
        return JobResult::Failed;
    }

    c_.status.ShowStatus(" Reading all files...");
    folder_ = c_.window.CurrentPath();
    RemoveStaleTemporaries();
    c_.volume.Files().BeginGroup();
    FullRestorer restorer(*this);
    const TapeWalk::End end = TapeWalk(c_.device, c_.drive.address).Run(restorer);
    if (restorer.failed) return FailFinishing(false);
    outcome_.stuckAt = end.stuckAt;
    outcome_.unfinished = end.unfinished;
    if (c_.volume.Files().EndGroup() != 0) return FailFinishing(false);
    c_.window.RefillTargetFolder();
    c_.window.ShowDriveStatus();
    const JobResult result = Finish(restorer.bytes, start);
    c_.window.RefillTargetFolder();
    return result;
}

TapeWalk::Step RestoreJob::FullRestorer::Visit(int) {
    RestoreJob& j = job_;
    const std::int64_t t0 = j.c_.now();
    const int restored = j.c_.volume.RestoreNextFile(j.c_.drive.blockLength, j.folder_);
    j.transferSeconds_ += j.c_.now() - t0;
    TapeWalk::Step step;
    step.pastFilemark = j.c_.volume.PastFilemark();
    if (restored == 0) return step;
    step.fault = j.c_.volume.LastFault();
    if (step.fault == RecordFault::Declined) {
        JoinPath(j.folder_, j.c_.volume.LastHeader().name, j.outcome_.declinedPath);
        step.stop = true;
    }
    // A file that could not be created or written whole is a failed
    // restore, never a successful end of the tape.
    if (step.fault == RecordFault::Disk) {
        failed = true;
        step.stop = true;
    }
    return step;
}

bool RestoreJob::FullRestorer::Take(int record, RecordFault fault) {
    RestoreJob& j = job_;
    if (fault == RecordFault::None) {
        bytes += j.c_.counters.bytesDone;
        ++j.outcome_.restored;
        // The folder shows restored files once they are in place.
        if (!j.c_.volume.Files().Waiting()) j.c_.window.RefillTargetFolder();
        return true;
    }
    if (fault == RecordFault::Skipped) {
        ++j.outcome_.leftExisting;
        return true;
    }
    if (j.c_.volume.Files().Finish() != 0) {
        failed = true;
        return false;
    }
    j.c_.messages.ShowMessage(RecordDamageText(record, fault, j.c_.volume.LastHeader().name), Error);
    ++j.outcome_.damaged;
    return true;
}

JobResult RestoreJob::SelectiveRestore() {
    const std::int64_t start = c_.now();
    outcome_.selective = true;
    if (check_.Run(TapeCheck::kReadNotFound) != 0) return JobResult::Failed;
    MarkedRecordWalk walk(c_, JobImages::kRestoreFile, JobImages::kRestoreArchive);
    if (!walk.Open()) return JobResult::Failed;

    c_.counters.bytesDone = 0;
    folder_ = c_.window.CurrentPath();
    RemoveStaleTemporaries();
    c_.volume.Files().BeginGroup();
    while (walk.Next()) {
        if (DirFileFormat::IsDamagedEntry(walk.Name())) {
            c_.volume.Files().EndGroup();
            c_.messages.ShowMessage("Error: file record " + std::to_string(walk.Record()) +
                                        " on tape is damaged: its header could not be read when the DirFile was "
                                        "made from the tape",
                                    Error);
            Fail("Restore error", true);
            c_.window.RefillTargetFolder();
            return JobResult::Failed;
        }
        const std::int64_t t0 = c_.now();
        const int restored = c_.volume.RestoreFile(walk.Name(), walk.FileDate(), walk.Size(), walk.BlockCount(),
                                                   c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        if (c_.volume.PastFilemark()) walk.PassedFilemark();
        if (restored == 0) {
            ++outcome_.restored;
            if (!c_.volume.Files().Waiting()) c_.window.RefillTargetFolder();
            continue;
        }
        const RecordFault fault = c_.volume.LastFault();
        if (fault == RecordFault::Skipped) {
            ++outcome_.leftExisting;
            continue;
        }
        if (fault == RecordFault::Declined) {
            JoinPath(folder_, walk.Name(), outcome_.declinedPath);
            break;
        }
        c_.volume.Files().EndGroup();
        Fail("Restore error", true);
        c_.window.RefillTargetFolder();
        return JobResult::Failed;
    }
    const bool waiting = c_.volume.Files().Waiting();
    if (c_.volume.Files().EndGroup() != 0) return FailFinishing(true);
    if (waiting) c_.window.RefillTargetFolder();
    if (walk.Failed()) return JobResult::Failed;
    c_.dirFile.Close();
    c_.window.ShowDriveStatus();
    return Finish(c_.counters.bytesDone, start);
}

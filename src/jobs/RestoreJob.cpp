#include "jobs/RestoreJob.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobImages.h"
#include "jobs/JobSummary.h"
#include "jobs/JobWindow.h"
#include "jobs/MarkedRecordWalk.h"
#include "jobs/RecordDamage.h"
#include "scsi/ScsiDevice.h"
#include "scsi/TapeStop.h"
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
    std::int64_t runTotal = 0;
    RestoreOutcome& o = outcome_;
    // Each pass starts before the filemark that closes the record before
    // (the ident block's first), unless the record before has passed it.
    bool pastFilemark = false;
    // Empty tape files (a filemark where a header was due) count as damaged
    // records only when a record follows them: the tape may end in such.
    int emptyFirst = 0;
    int emptyCount = 0;
    for (int record = 1;; ++record) {
        if (!pastFilemark && c_.device.SpaceFilemarks(1, a.adapter, a.target, a.lun) != 0) {
            if (LastTapeStop(c_.device) != TapeStop::EndOfData) o.stuckAt = record - 1;
            break;
        }
        const std::int64_t t0 = c_.now();
        const int restored = c_.volume.RestoreNextFile(c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        pastFilemark = c_.volume.PastFilemark();
        const RecordFault fault = restored == 0 ? RecordFault::None : c_.volume.LastFault();
        if (fault == RecordFault::EndOfData) break;
        if (fault == RecordFault::NoHeader && pastFilemark) {
            if (emptyCount++ == 0) emptyFirst = record;
            continue;
        }
        if (fault == RecordFault::Unfinished) {
            o.unfinished = true;
            break;
        }
        // A block that cannot be read and no filemark after it is how some
        // drives report the end of data: where a header was due, the tape
        // ends; inside a record, the record is unfinished.
        if (fault == RecordFault::HeaderUnreadable || (fault == RecordFault::Unreadable && !pastFilemark)) {
            if (c_.device.SpaceFilemarks(1, a.adapter, a.target, a.lun) != 0) {
                if (LastTapeStop(c_.device) != TapeStop::EndOfData)
                    o.stuckAt = fault == RecordFault::Unreadable ? record : record - 1;
                else
                    o.unfinished = fault == RecordFault::Unreadable;
                break;
            }
            pastFilemark = true;
        }
        if (emptyCount > 0) {
            if (c_.volume.Files().Finish() != 0) return FailFinishing(false);
            for (int empty = emptyFirst; empty < emptyFirst + emptyCount; ++empty)
                c_.messages.ShowMessage(RecordDamageText(empty, RecordFault::NoHeader, {}), Error);
            o.damaged += emptyCount;
            emptyCount = 0;
        }
        if (restored == 0) {
            runTotal += c_.counters.bytesDone;
            ++o.restored;
            // The folder shows restored files once they are in place.
            if (!c_.volume.Files().Waiting()) c_.window.RefillTargetFolder();
            continue;
        }
        // Only its header was read: the next filemark ends it.
        if (fault == RecordFault::Skipped) {
            ++o.leftExisting;
            continue;
        }
        if (fault == RecordFault::Declined) {
            JoinPath(folder_, c_.volume.LastHeader().name, o.declinedPath);
            break;
        }
        if (fault == RecordFault::Disk || fault == RecordFault::Drive) {
            // A file that could not be created or written whole is a failed
            // restore, never a successful end of the tape.
            c_.volume.Files().EndGroup();
            Fail("Restore error", false);
            c_.window.RefillTargetFolder();
            return JobResult::Failed;
        }
        if (c_.volume.Files().Finish() != 0) return FailFinishing(false);
        c_.messages.ShowMessage(RecordDamageText(record, fault, c_.volume.LastHeader().name), Error);
        ++o.damaged;
    }
    if (c_.volume.Files().EndGroup() != 0) return FailFinishing(false);
    c_.window.RefillTargetFolder();
    c_.window.ShowDriveStatus();
    const JobResult result = Finish(runTotal, start);
    c_.window.RefillTargetFolder();
    return result;
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

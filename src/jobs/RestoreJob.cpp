#include "jobs/RestoreJob.h"

#include "catalog/DirFile.h"
#include "jobs/JobImages.h"
#include "jobs/JobSummary.h"
#include "jobs/JobWindow.h"
#include "jobs/MarkedRecordWalk.h"
#include "jobs/RecordDamage.h"
#include "scsi/ScsiDevice.h"
#include "scsi/TapeStop.h"
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

void RestoreJob::ShowSummary(std::int64_t bytes, std::int64_t start, const std::string& firstLine, int kind,
                             const std::string& notes) {
    const std::int64_t elapsed = c_.now() - start;
    c_.messages.ShowMessage(
        JobSummary(firstLine.c_str(), "Tape->disk rate: ", bytes, elapsed, transferSeconds_) + notes, kind);
}

JobResult RestoreJob::FailFinishing(bool close) {
    c_.volume.EndRestoreGroup();
    Fail("Restore error", close);
    c_.window.RefillTargetFolder();
    return JobResult::Failed;
}

JobResult RestoreJob::RunRestore() {
    transferSeconds_ = 0;
    c_.volume.SetRestorePolicy(c_.restore);
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
    c_.volume.BeginRestoreGroup();
    std::int64_t runTotal = 0;
    int skipped = 0;
    int stuckAt = -1;  // the record past which the tape cannot be read (0: the ident block)
    bool unfinished = false;
    bool declined = false;
    // Each pass starts before the filemark that closes the record before
    // (the ident block's first), unless a fault has already passed it.
    bool pastFilemark = false;
    for (int record = 1;; ++record) {
        if (!pastFilemark && c_.device.SpaceFilemarks(1, a.adapter, a.target, a.lun) != 0) {
            if (LastTapeStop(c_.device) != TapeStop::EndOfData) stuckAt = record - 1;
            break;
        }
        pastFilemark = false;
        const std::int64_t t0 = c_.now();
        const int restored = c_.volume.RestoreNextFile(c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        if (restored == 0) {
            runTotal += c_.counters.bytesDone;
            // The folder shows restored files once they are in place.
            if (!c_.volume.RestoresWaiting()) c_.window.RefillTargetFolder();
            continue;
        }
        const RecordFault fault = c_.volume.LastFault();
        if (fault == RecordFault::EndOfData) break;
        // Only its header was read: the next filemark ends it.
        if (fault == RecordFault::Skipped) continue;
        if (fault == RecordFault::Unfinished) {
            unfinished = true;
            break;
        }
        if (fault == RecordFault::Declined) {
            declined = true;
            break;
        }
        if (fault == RecordFault::Disk || fault == RecordFault::Drive) {
            // A file that could not be created or written whole is a failed
            // restore, never a successful end of the tape.
            c_.volume.EndRestoreGroup();
            Fail("Restore error", false);
            c_.window.RefillTargetFolder();
            return JobResult::Failed;
        }
        pastFilemark = c_.volume.PastFilemark();
        // A header that cannot be read and no filemark after it is how some
        // drives report the end of data.
        if (fault == RecordFault::HeaderUnreadable) {
            if (c_.device.SpaceFilemarks(1, a.adapter, a.target, a.lun) != 0) {
                if (LastTapeStop(c_.device) != TapeStop::EndOfData) stuckAt = record - 1;
                break;
            }
            pastFilemark = true;
        }
        if (c_.volume.FinishRestores() != 0) return FailFinishing(false);
        c_.messages.ShowMessage(RecordDamageText(record, fault, c_.volume.LastHeader().name), Error);
        ++skipped;
    }
    if (c_.volume.EndRestoreGroup() != 0) return FailFinishing(false);
    c_.window.RefillTargetFolder();
    c_.window.ShowDriveStatus();

    std::string notes;
    if (stuckAt > 0) notes += "\nThe tape cannot be read past file record " + std::to_string(stuckAt) + ".";
    if (stuckAt == 0) notes += "\nThe tape cannot be read past its ident block.";
    if (unfinished) notes += "\nThe last file record on tape is unfinished and was not restored.";
    const bool damaged = skipped > 0 || stuckAt >= 0;
    if (damaged)
        ShowSummary(runTotal, start, "Restore ended with " + RecordCountText(skipped) + " skipped!", Attention, notes);
    else
        ShowSummary(runTotal, start, kDone, Success, notes);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.window.RefillTargetFolder();
    if (damaged) return JobResult::Failed;
    return declined ? JobResult::Declined : JobResult::Done;
}

JobResult RestoreJob::SelectiveRestore() {
    const std::int64_t start = c_.now();
    if (check_.Run(TapeCheck::kReadNotFound) != 0) return JobResult::Failed;
    MarkedRecordWalk walk(c_, JobImages::kRestoreFile, JobImages::kRestoreArchive);
    if (!walk.Open()) return JobResult::Failed;

    c_.counters.bytesDone = 0;
    folder_ = c_.window.CurrentPath();
    c_.volume.BeginRestoreGroup();
    while (walk.Next()) {
        const std::int64_t t0 = c_.now();
        const int restored = c_.volume.RestoreFile(walk.Name(), walk.FileDate(), walk.Size(), walk.BlockCount(),
                                                   c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        if (restored != 0 && c_.volume.LastFault() == RecordFault::Skipped) continue;
        if (restored != 0) {
            const RecordFault fault = c_.volume.LastFault();
            c_.volume.EndRestoreGroup();
            Fail("Restore error", true);
            return fault == RecordFault::Declined ? JobResult::Declined : JobResult::Failed;
        }
        if (!c_.volume.RestoresWaiting()) c_.window.RefillTargetFolder();
    }
    const bool waiting = c_.volume.RestoresWaiting();
    if (c_.volume.EndRestoreGroup() != 0) return FailFinishing(true);
    if (waiting) c_.window.RefillTargetFolder();
    if (walk.Failed()) return JobResult::Failed;
    c_.dirFile.Close();
    c_.window.ShowDriveStatus();
    ShowSummary(c_.counters.bytesDone, start);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    return JobResult::Done;
}

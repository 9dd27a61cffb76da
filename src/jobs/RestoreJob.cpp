#include "jobs/RestoreJob.h"

#include "catalog/DirFile.h"
#include "jobs/JobImages.h"
#include "jobs/JobSummary.h"
#include "jobs/JobWindow.h"
#include "jobs/MarkedRecordWalk.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeFormat.h"
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

void RestoreJob::ShowSummary(std::int64_t bytes, std::int64_t start) {
    const std::int64_t elapsed = c_.now() - start;
    c_.messages.ShowMessage(
        JobSummary("Restore ended successfully!", "Tape->disk rate: ", bytes, elapsed, transferSeconds_), Success);
}

void RestoreJob::RunRestore() {
    transferSeconds_ = 0;
    const int selected =
        c_.window.CountMarked(JobImages::kRestoreFile) + c_.window.CountMarked(JobImages::kRestoreArchive);
    if (selected != 0) {
        SelectiveRestore();
        return;
    }
    if (c_.messages.ShowMessage(kFullRestoreQuestion, Question) == kMessageOk) FullRestore();
}

void RestoreJob::FullRestore() {
    const DriveAddress& a = c_.drive.address;
    const std::int64_t start = c_.now();
    c_.status.ShowStatus(" Rewinding tape ...");
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0) {
        Fail("Rewind tape error", false);
        return;
    }
    c_.status.ShowStatus(" Checking tape ...");
    if (c_.volume.ReadIdentBlock(c_.currentTapeName, fileDate_, version_) < 0) {
        c_.messages.ShowMessage("Error reading IdentBlock from tape", Error);
        return;
    }

    c_.status.ShowStatus(" Reading all files...");
    folder_ = c_.window.CurrentPath();
    std::int64_t runTotal = 0;
    // The end of the tape shows as a spacing or header read that fails.
    while (c_.device.SpaceFilemarks(1, a.adapter, a.target, a.lun) == 0) {
        const std::int64_t t0 = c_.now();
        const int restored = c_.volume.RestoreFile(TapeFormat::kFullRestoreMarker, std::string(), 0, 0,
                                                   c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        if (restored != 0) {
            // A file that could not be created or written whole is a failed
            // restore, never a successful end of the tape.
            if (c_.volume.LastRestoreDiskFailed()) {
                Fail("Restore error", false);
                c_.window.RefillTargetFolder();
                return;
            }
            break;
        }
        runTotal += c_.counters.bytesDone;
        c_.window.RefillTargetFolder();
    }
    c_.window.RefillTargetFolder();
    c_.window.ShowDriveStatus();
    ShowSummary(runTotal, start);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.window.RefillTargetFolder();
}

void RestoreJob::SelectiveRestore() {
    const std::int64_t start = c_.now();
    if (check_.Run(TapeCheck::kReadNotFound) != 0) return;
    MarkedRecordWalk walk(c_, JobImages::kRestoreFile, JobImages::kRestoreArchive);
    if (!walk.Open()) return;

    c_.counters.bytesDone = 0;
    folder_ = c_.window.CurrentPath();
    while (walk.Next()) {
        const std::int64_t t0 = c_.now();
        const int restored = c_.volume.RestoreFile(walk.Name(), walk.FileDate(), walk.Size(), walk.BlockCount(),
                                                   c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        if (restored != 0) {
            Fail("Restore error", true);
            return;
        }
        c_.window.RefillTargetFolder();
    }
    if (walk.Failed()) return;
    c_.dirFile.Close();
    c_.window.ShowDriveStatus();
    ShowSummary(c_.counters.bytesDone, start);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
}

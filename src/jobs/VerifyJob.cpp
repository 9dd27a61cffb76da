#include "jobs/VerifyJob.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobImages.h"
#include "jobs/JobWindow.h"
#include "jobs/MarkedRecordWalk.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

VerifyJob::VerifyJob(JobContext& context, VerifyResults& results, VerifyResultsView& view)
    : c_(context), results_(results), view_(view), check_(context) {}

bool VerifyJob::AddResult(const std::string& name, int result) {
    if (result == kVerifyFailed) return false;
    const char* status = "Failed";
    int image = JobImages::kVerifyProblem;
    std::string difference;
    if (result == kVerifyCannotOpen) {
        status = "File not found";
    } else if (result == kVerifyIdentical) {
        status = "OK";
        image = JobImages::kVerifyIdentical;
    } else if (result == kVerifyDiffersAtStart) {
        // Offset 0 would read as "identical"; the volume reports it apart.
        difference = "0";
    } else if (result > 0) {
        difference = std::to_string(result);
    } else {
        return true;
    }
    results_.Add({name, status, std::move(difference), image});
    view_.RepaintResults();
    return true;
}

JobResult VerifyJob::RunVerify() {
    results_.Clear();
    view_.RepaintResults();
    const int selected =
        c_.window.CountMarked(JobImages::kVerifyFile) + c_.window.CountMarked(JobImages::kVerifyArchive);
    if (selected == 0) {
        c_.messages.ShowMessage("No files selected.", Error);
        return JobResult::Refused;
    }
    view_.ShowResults();
    view_.EnableButtons(false);
    view_.RepaintResults();

    if (check_.Run(TapeCheck::Wording::RestoreOrVerify) != 0) return JobResult::Failed;
    MarkedRecordWalk walk(c_, JobImages::kVerifyFile, JobImages::kVerifyArchive);
    if (!walk.Open()) return JobResult::Failed;

    c_.counters.bytesDone = 0;
    folder_ = c_.window.CurrentPath();
    while (walk.Next()) {
        // Its header could not be read when the catalog was made: nothing
        // on tape to compare.
        if (DirFileFormat::IsDamagedEntry(walk.Name())) {
            results_.Add({walk.Name(), "Damaged", {}, JobImages::kVerifyProblem});
            view_.RepaintResults();
            continue;
        }
        const int result = c_.volume.VerifyFile(walk.Name(), walk.FileDate(), walk.Size(), walk.BlockCount(),
                                                c_.drive.blockLength, folder_);
        if (c_.volume.PastFilemark()) walk.PassedFilemark();
        if (!AddResult(walk.Name(), result)) {
            // The volume has said what went wrong.
            c_.dirFile.Close();
            view_.HideResults();
            return JobResult::Failed;
        }
    }
    if (walk.Failed()) return JobResult::Failed;
    c_.dirFile.Close();
    c_.window.ShowDriveStatus();
    c_.counters.bytesDone = 0;
    c_.counters.bytesTotal = 0;
    c_.status.ShowProgress(0, 0);
    view_.EnableButtons(true);
    view_.RepaintResults();
    return JobResult::Done;
}

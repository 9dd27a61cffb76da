#include "jobs/VerifyJob.h"

#include "catalog/DirFile.h"
#include "jobs/JobImages.h"
#include "jobs/JobWindow.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
const std::string kReadingEntry = " Reading file information from HD...";
}  // namespace

VerifyJob::VerifyJob(JobContext& context, VerifyResults& results, VerifyResultsView& view)
    : c_(context), results_(results), view_(view), check_(context) {
    for (std::string* s : {&name_, &fileDate_, &backupDate_, &folder_, &text_}) s->reserve(kTextReserve);
}

void VerifyJob::Fail(const char* message, bool close) {
    c_.messages.ShowMessage(message, Error);
    c_.window.ShowDriveStatus();
    if (close) c_.dirFile.Close();
}

bool VerifyJob::AddResult(int result) {
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
    results_.Add({name_, status, std::move(difference), image});
    view_.RepaintResults();
    return true;
}

void VerifyJob::RunVerify() {
    results_.Clear();
    view_.RepaintResults();
    const int selected =
        c_.window.CountMarked(JobImages::kVerifyFile) + c_.window.CountMarked(JobImages::kVerifyArchive);
    if (selected == 0) {
        c_.messages.ShowMessage("No files selected.", Error);
        return;
    }
    view_.ShowResults();
    view_.EnableButtons(false);
    view_.RepaintResults();

    const DriveAddress& a = c_.drive.address;
    if (check_.Run(TapeCheck::kReadNotFound) != 0) return;
    if (c_.dirFile.OpenForReading(c_.currentDirFilePath) != 0) {
        Fail("Error opening dir file on hard drive", false);
        return;
    }
    if (c_.dirFile.SkipIdent() != 0) {
        Fail("Error skipping to file info on hard drive", true);
        return;
    }

    c_.counters.bytesDone = 0;
    folder_ = c_.window.CurrentPath();
    int passed = 0;
    const int rows = c_.window.RowCount();
    for (int i = 0; i < rows; ++i) {
        c_.status.ShowStatus(kReadingEntry);
        std::int32_t size = 0, blockCount = 0;
        if (c_.dirFile.ReadNextEntry(name_, fileDate_, backupDate_, size, blockCount) != 0) {
            Fail("Error reading directory file from hard drive", true);
            return;
        }
        if (c_.window.IsMarkedAt(JobImages::kVerifyFile, i) != 1 &&
            c_.window.IsMarkedAt(JobImages::kVerifyArchive, i) != 1)
            continue;

        text_.assign(" Locating file: ").append(name_);
        c_.status.ShowStatus(text_);
        if (c_.device.SpaceFilemarks(i + 1 - passed, a.adapter, a.target, a.lun) != 0) {
            Fail("Moveto filemark error", true);
            return;
        }
        passed = i + 1;

        text_.assign(" Reading file: ").append(name_);
        c_.status.ShowStatus(text_);
        const int result = c_.volume.VerifyFile(name_, fileDate_, size, blockCount, c_.drive.blockLength, folder_);
        if (!AddResult(result)) {
            // The volume has said what went wrong.
            c_.dirFile.Close();
            view_.HideResults();
            return;
        }
    }
    c_.dirFile.Close();
    c_.window.ShowDriveStatus();
    c_.counters.bytesDone = 0;
    c_.counters.bytesTotal = 0;
    c_.status.ShowProgress(0, 0);
    view_.EnableButtons(true);
    view_.RepaintResults();
}

#include "jobs/MarkedRecordWalk.h"

#include "catalog/DirFile.h"
#include "jobs/JobContext.h"
#include "jobs/JobWindow.h"
#include "report/MessageKind.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {
// Names and dates are read into kept strings, so the walk allocates nothing
// per file.
constexpr std::size_t kTextReserve = 4096;
}  // namespace

MarkedRecordWalk::MarkedRecordWalk(JobContext& context, int fileImage, int archiveImage)
    : c_(context), fileImage_(fileImage), archiveImage_(archiveImage) {
    for (std::string* s : {&name_, &fileDate_, &backupDate_, &text_}) s->reserve(kTextReserve);
}

bool MarkedRecordWalk::Fail(const char* text) {
    // Files a restore left waiting go in place before the user hears more.
    c_.volume.Files().Finish();
    c_.messages.ShowMessage(text, Error);
    c_.window.ShowDriveStatus();
    if (open_) c_.dirFile.Close();
    open_ = false;
    failed_ = true;
    return false;
}

bool MarkedRecordWalk::Open() {
    row_ = 0;
    passed_ = 0;
    failed_ = false;
    rows_ = c_.window.RowCount();
    open_ = false;
    if (c_.dirFile.OpenForReading(c_.currentDirFilePath) != 0) return Fail("Error opening dir file on hard drive");
    open_ = true;
    if (c_.dirFile.SkipIdent() != 0) return Fail("Error skipping to file info on hard drive");
    return true;
}

bool MarkedRecordWalk::Next() {
    for (; row_ < rows_; ++row_) {
        c_.status.ShowStatus(" Reading file information from HD...");
        if (c_.dirFile.ReadNextEntry(name_, fileDate_, backupDate_, size_, blockCount_) != 0)
            return Fail("Error reading directory file from hard drive");
        if (c_.window.IsMarkedAt(fileImage_, row_) != 1 && c_.window.IsMarkedAt(archiveImage_, row_) != 1) continue;

        text_.assign(" Locating file: ").append(name_);
        c_.status.ShowStatus(text_);
        const DriveAddress& a = c_.drive.address;
        const int count = row_ + 1 - passed_;
        if (count > 0 && c_.device.SpaceFilemarks(count, a.adapter, a.target, a.lun) != 0)
            return Fail("Moveto filemark error");
        passed_ = ++row_;

        text_.assign(" Reading file: ").append(name_);
        c_.status.ShowStatus(text_);
        return true;
    }
    return false;
}

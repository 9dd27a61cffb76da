#include "jobs/EntryWalk.h"

#include "catalog/DirFile.h"
#include "jobs/JobContext.h"
#include "jobs/JobEvents.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {
// Names and dates are read into kept strings, so the walk allocates nothing
// per file.
constexpr std::size_t kTextReserve = 4096;
}  // namespace

EntryWalk::EntryWalk(JobContext& context, const std::vector<int>& entries, int listed)
    : c_(context), entries_(entries), listed_(listed) {
    for (std::string* s : {&name_, &fileDate_, &backupDate_, &text_}) s->reserve(kTextReserve);
}

bool EntryWalk::Fail(MessageId id) {
    // Files a restore left waiting go in place before the user hears more.
    c_.volume.Files().Finish();
    if (id == MessageId::MoveToFilemarkError)
        c_.messages.ShowFailure(id, c_.device.LastFailure());
    else
        c_.messages.ShowMessage(id);
    c_.events.ShowDriveStatus();
    if (open_) c_.dirFile.Close();
    open_ = false;
    failed_ = true;
    return false;
}

bool EntryWalk::Open() {
    next_ = 0;
    entry_ = 0;
    passed_ = 0;
    failed_ = false;
    open_ = false;
    if (c_.dirFile.OpenForReading(c_.currentDirFilePath) != 0) return Fail(MessageId::ErrorOpeningDirFile);
    open_ = true;
    if (c_.dirFile.SkipIdent() != 0) return Fail(MessageId::ErrorSkippingToFileInfo);
    return true;
}

bool EntryWalk::ReadEntry() {
    c_.status.ShowStatus(" Reading file information from HD...");
    if (c_.dirFile.ReadNextEntry(name_, fileDate_, backupDate_, size_, blockCount_) != 0)
        return Fail(MessageId::ErrorReadingDirFile);
    ++entry_;
    return true;
}

bool EntryWalk::Next() {
    if (next_ >= entries_.size()) {
        while (!failed_ && entry_ < listed_) ReadEntry();
        return false;
    }
    const int wanted = entries_[next_++];
    while (entry_ <= wanted)
        if (!ReadEntry()) return false;
    text_.assign(" Locating file: ").append(name_);
    c_.status.ShowStatus(text_);
    const DriveAddress& a = c_.drive.address;
    const int count = entry_ - passed_;
    if (count > 0 && c_.device.SpaceFilemarks(count, a.adapter, a.target, a.lun) != 0)
        return Fail(MessageId::MoveToFilemarkError);
    passed_ = entry_;

    text_.assign(" Reading file: ").append(name_);
    c_.status.ShowStatus(text_);
    return true;
}

#include "jobs/RebuildDirFile.h"

#include "catalog/DirFile.h"
#include "catalog/DirFilePath.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RecordDamage.h"
#include "scsi/ScsiDevice.h"
#include "scsi/TapeStop.h"
#include "tape/TapeVolume.h"

namespace {
constexpr char kEntryError[] = "Error writing file header info to disk";
}  // namespace

RebuildDirFile::RebuildDirFile(MessageSink& messages, StatusSink& status, ScsiDevice& device,
                               const DriveAddress& drive, TapeVolume& volume, DirFile& dirFile)
    : messages_(messages), status_(status), device_(device), drive_(drive), volume_(volume), dirFile_(dirFile) {}

JobResult RebuildDirFile::Fail(const std::string& text, MaintenanceHost& host) {
    messages_.ShowMessage(text, Error);
    host.ShowDriveStatus();
    return JobResult::Failed;
}

JobResult RebuildDirFile::Run(const std::string& startDirectory, MaintenanceHost& host) {
    path_.clear();
    if (messages_.ShowMessage("This function will take a while.\n(You can do a full restore without the Directory "
                              "file.)\n\nCreate the Directory File anyway?",
                              Question) != kMessageOk)
        return JobResult::Declined;

    status_.ShowStatus(" Rewinding tape ...");
    if (device_.Rewind(drive_.adapter, drive_.target, drive_.lun) != 0)
        return Fail("Rewind tape error", host);

    status_.ShowStatus(" Reading tape ...");
    std::string tapeName, formatDate, version;
    if (volume_.ReadIdentBlock(tapeName, formatDate, version) < 0)
        return Fail("Error reading IdentBlock from tape", host);
    if (DirFilePath(startDirectory, tapeName, path_) != 0)
        return Fail("Error: the tape name '" + tapeName + "' cannot be used as a file name", host);

    if (dirFile_.Exists(path_) &&
        messages_.ShowMessage("A tape with that name exists already. Overwrite?", Question) != kMessageOk) {
        host.ShowDriveStatus();
        return JobResult::Declined;
    }
    if (dirFile_.CreateFromIdent(tapeName, path_, formatDate, version) != 0)
        return Fail("Error writing to Ident block to disk", host);
    // The entries go on the medium before each message and at the end.
    if (dirFile_.BeginAppend(path_) != 0) return Fail(kEntryError, host);

    int skipped = 0;
    bool unfinished = false;
    int stuckAt = -1;  // the record past which the tape cannot be read (0: the ident block)
    // Each pass starts after a filemark: the ident block's, then the one
    // that closes the record before.
    bool pastFilemark = false;
    for (int record = 1;; ++record) {
        if (!pastFilemark && device_.SpaceFilemarks(1, drive_.adapter, drive_.target, drive_.lun) != 0) {
            if (LastTapeStop(device_) != TapeStop::EndOfData) stuckAt = record - 1;
            break;
        }
        if (volume_.ReadRecord() == 0) {
            pastFilemark = true;
            const FileHeader& h = volume_.LastHeader();
            status_.ShowStatus(" Reading File Info: " + h.name + " ...");
            if (dirFile_.AppendNext(h.name, h.modificationDate, h.backupDate, h.size, h.blockCount) != 0) {
                dirFile_.EndAppend();
                return Fail(kEntryError, host);
            }
            continue;
        }
        const RecordFault fault = volume_.LastFault();
        if (fault == RecordFault::EndOfData) break;
        if (fault == RecordFault::Unfinished) {
            unfinished = true;
            break;
        }
        // The drive's block length cannot carry a header: nothing more can be read.
        if (fault == RecordFault::Drive) {
            stuckAt = record - 1;
            break;
        }
        pastFilemark = volume_.PastFilemark();
        // A header that cannot be read and no filemark after it is how some
        // drives report the end of data.
        if (fault == RecordFault::HeaderUnreadable) {
            if (device_.SpaceFilemarks(1, drive_.adapter, drive_.target, drive_.lun) != 0) {
                if (LastTapeStop(device_) == TapeStop::EndOfData) break;
                stuckAt = record - 1;
                break;
            }
            pastFilemark = true;
        }
        if (dirFile_.SyncAppended() != 0) {
            dirFile_.EndAppend();
            return Fail(kEntryError, host);
        }
        messages_.ShowMessage(RecordDamageText(record, fault, volume_.LastHeader().name), Error);
        ++skipped;
    }
    if (dirFile_.EndAppend() != 0) return Fail(kEntryError, host);

    status_.ShowStatus("Finished.");
    host.ShowDirectoryFiles();
    std::string text = "Finished creating Directory File";
    if (skipped > 0) text += "\n" + RecordCountText(skipped) + (skipped == 1 ? " was" : " were") + " left out.";
    if (stuckAt > 0) text += "\nThe tape cannot be read past file record " + std::to_string(stuckAt) + ".";
    if (stuckAt == 0) text += "\nThe tape cannot be read past its ident block.";
    if (unfinished)
        text += "\nThe last file record on tape is unfinished and was left out; the next backup writes over it.";
    const bool damaged = skipped > 0 || stuckAt >= 0;
    messages_.ShowMessage(text, damaged ? Attention : Success);
    host.ShowDriveStatus();
    return damaged ? JobResult::Failed : JobResult::Done;
}

#include "jobs/BackupJob.h"

#include <sys/stat.h>

#include <algorithm>

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobImages.h"
#include "jobs/JobSummary.h"
#include "jobs/JobWindow.h"
#include "jobs/RecordDamage.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/TapeFormat.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
const std::string kWritingDirectory = " Writing directory...";
constexpr char kCatalogError[] = "Error writing directory file on hard drive";
}  // namespace

BackupJob::BackupJob(JobContext& context) : c_(context), check_(context) {
    for (std::string* s : {&name_, &folder_, &path_, &text_}) s->reserve(kTextReserve);
}

int BackupJob::EndEntries() { return c_.dirFile.EndAppend(); }

void BackupJob::Fail(const char* message) {
    c_.messages.ShowMessage(message, Error);
    c_.window.ShowDriveStatus();
}

int BackupJob::CheckFile(int image, int k) {
    c_.window.NthMarkedName(image, k, name_);
    if (name_.size() > DirFileFormat::kMaxNameLength) {
        c_.messages.ShowMessage("Error: file name longer than 254 bytes, nothing was backed up:\n" + name_, Error);
        return -1;
    }
    if (!IsPlainName(name_) || name_ == TapeFormat::kReservedFileName) {
        c_.messages.ShowMessage("Error: file name not allowed, nothing was backed up: '" + name_ + "'", Error);
        return -1;
    }
    JoinPath(folder_, name_, path_);
    struct stat status {};
    // A file that cannot be looked at now is reported by the backup itself,
    // with the message for a file that does not open.
    if (::stat(path_.c_str(), &status) == 0 && status.st_size > TapeFormat::kMaxFileSize) {
        c_.messages.ShowMessage(
            "Error: file of 2 GiB or more cannot go to tape, nothing was backed up:\n" + path_, Error);
        return -1;
    }
    return 0;
}

int BackupJob::CheckMarkedFiles() {
    folder_ = c_.window.CurrentPath();
    for (int image : {JobImages::kBackupArchive, JobImages::kBackupFile}) {
        const int m = c_.window.CountMarked(image);
        for (int k = 1; k <= m; ++k)
            if (CheckFile(image, k) != 0) return -1;
    }
    return 0;
}

int BackupJob::WriteMarked(int image, std::int64_t& transferSeconds) {
    const int blockLength = c_.drive.blockLength;
    const int m = c_.window.CountMarked(image);
    // The folder cannot change while the job runs.
    folder_ = c_.window.CurrentPath();
    for (int k = 1; k <= m; ++k) {
        c_.window.NthMarkedName(image, k, name_);
        text_.assign(" Writing file: ").append(name_);
        c_.status.ShowStatus(text_);
        const std::int64_t t0 = c_.now();
        const int written = c_.volume.BackupFile(name_, folder_, blockLength);
        transferSeconds += c_.now() - t0;
        if (written != 0) {
            // The entries of the records before go on the medium before the
            // user hears of the failure.
            const int entries = EndEntries();
            if (c_.volume.LastBackupMetEndOfTape() && entries == 0) {
                c_.messages.ShowMessage("Write file tape error\nThe tape is full: '" + name_ +
                                            "' did not fit on it. The files written before it are safe on tape "
                                            "and in the DirFile.",
                                        Error);
                c_.window.ShowDriveStatus();
            } else {
                Fail("Write file tape error");
            }
            if (entries != 0) Fail(kCatalogError);
            return -1;
        }
        c_.status.ShowStatus(kWritingDirectory);
        // The entry carries exactly what the record's header says, even if
        // the file changed on disk since it was read.
        const FileHeader& h = c_.volume.LastWrittenHeader();
        if (c_.dirFile.AppendNext(h.name, h.modificationDate, h.backupDate, h.size, h.blockCount) != 0) {
            EndEntries();
            Fail(kCatalogError);
            return -1;
        }
    }
    return 0;
}

JobResult BackupJob::LocateWritePosition(int selected, int& entries) {
    c_.status.ShowStatus(" Initializing ...");
    const int validated = c_.dirFile.ValidateEntries(c_.currentDirFilePath, entries);
    if (validated < 0) {
        Fail("Can't get file count from hard drive");
        return JobResult::Failed;
    }
    // Entries after damage could not be trusted to stand where their
    // records are, and a record appended behind them would be lost to them.
    if (validated > 0) {
        c_.messages.ShowMessage("Error: DirFile on hard drive is damaged after entry " + std::to_string(entries) +
                                    ".\nNothing was written. Create the Directory File from tape contents, or "
                                    "import a good copy, on the Utilities tab.",
                                Error);
        c_.window.ShowDriveStatus();
        return JobResult::Refused;
    }
    const int room = DirFileFormat::kMaxEntries - std::min(entries, DirFileFormat::kMaxEntries);
    if (room < selected) {
        c_.messages.ShowMessage("Sorry, only space for " + std::to_string(room) + " files left on directory", Info);
        c_.window.ShowDriveStatus();
        return JobResult::Refused;
    }

    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.status.ShowStatus(" Locating write position ...");
    // Right after the catalog's last record rather than at end of data: a
    // run that failed or crashed half-way leaves an unfinished record there,
    // which the next write cuts off. Complete records there are another
    // matter: the catalog is behind the tape, and writing would destroy them.
    switch (c_.volume.MoveToAppendPoint(entries)) {
    case 0:
        return JobResult::Done;
    case kAppendUnlisted: {
        c_.messages.ShowMessage("Error: the tape holds " + RecordCountText(c_.volume.UnlistedRecords()) +
                                    " that the DirFile on hard drive does not list.\nNothing was written. Create "
                                    "the Directory File from tape contents, or import the newer copy, on the "
                                    "Utilities tab.",
                                Error);
        c_.window.ShowDriveStatus();
        return JobResult::Refused;
    }
    case kAppendUnreadable:
        Fail("Error: the tape is damaged after the last file record the DirFile lists: it cannot be read there, "
             "and what follows would be lost.\nNothing was written.");
        return JobResult::Failed;
    default:
        Fail("MoveToEOD error");
        return JobResult::Failed;
    }
}

JobResult BackupJob::RunBackup() {
    const int selected =
        c_.window.CountMarked(JobImages::kBackupFile) + c_.window.CountMarked(JobImages::kBackupArchive);
    if (selected == 0) {
        c_.messages.ShowMessage("No files selected", Oops);
        return JobResult::Refused;
    }
    if (CheckMarkedFiles() != 0) return JobResult::Refused;

    const std::int64_t start = c_.now();
    if (check_.Run(TapeCheck::kBackupNotFound) != 0) return JobResult::Failed;
    int entries = 0;
    const JobResult located = LocateWritePosition(selected, entries);
    if (located != JobResult::Done) return located;

    // Each entry is written once its record is complete on the medium, and
    // all of them are put on the medium before the job ends.
    if (c_.dirFile.BeginAppend(c_.currentDirFilePath) != 0) {
        Fail(kCatalogError);
        return JobResult::Failed;
    }
    std::int64_t transferSeconds = 0;
    if (WriteMarked(JobImages::kBackupArchive, transferSeconds) != 0) return JobResult::Failed;
    if (WriteMarked(JobImages::kBackupFile, transferSeconds) != 0) return JobResult::Failed;
    if (EndEntries() != 0) {
        Fail(kCatalogError);
        return JobResult::Failed;
    }

    c_.window.ListTapeDirectory(c_.currentDirFilePath);
    c_.window.ShowDriveStatus();
    const std::int64_t elapsed = c_.now() - start;
    c_.messages.ShowMessage(JobSummary("Backup ended successfully!", "Disk->tape rate: ", c_.counters.bytesDone,
                                       elapsed, transferSeconds),
                            Success);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.window.ClearByteLabel();
    return JobResult::Done;
}

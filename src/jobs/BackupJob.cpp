#include "jobs/BackupJob.h"

#include <sys/stat.h>

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobImages.h"
#include "jobs/JobSummary.h"
#include "jobs/JobWindow.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/TapeFormat.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
const std::string kWritingDirectory = " Writing directory...";
}  // namespace

BackupJob::BackupJob(JobContext& context) : c_(context), check_(context) {
    for (std::string* s : {&name_, &folder_, &path_, &text_}) s->reserve(kTextReserve);
}

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
    if (!IsPlainName(name_)) {
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
            Fail("Write file tape error");
            return -1;
        }
        c_.status.ShowStatus(kWritingDirectory);
        // The entry carries exactly what the record's header says, even if
        // the file changed on disk since it was read.
        const FileHeader& h = c_.volume.LastWrittenHeader();
        if (c_.dirFile.AppendEntry(c_.currentDirFilePath, h.name, h.modificationDate, h.backupDate, h.size,
                                   h.blockCount) != 0) {
            Fail("Error writing directory file on hard drive");
            return -1;
        }
    }
    return 0;
}

void BackupJob::RunBackup() {
    const int selected =
        c_.window.CountMarked(JobImages::kBackupFile) + c_.window.CountMarked(JobImages::kBackupArchive);
    if (selected == 0) {
        c_.messages.ShowMessage("No files selected", Oops);
        return;
    }
    if (CheckMarkedFiles() != 0) return;

    const std::int64_t start = c_.now();
    if (check_.Run(TapeCheck::kBackupNotFound) != 0) return;

    c_.status.ShowStatus(" Initializing ...");
    const int entries = c_.dirFile.CountEntries(c_.currentDirFilePath);
    if (entries < 0) {
        Fail("Can't get file count from hard drive");
        return;
    }
    const int room = DirFileFormat::kMaxEntries - entries;
    if (room < selected) {
        c_.messages.ShowMessage("Sorry, only space for " + std::to_string(room) + " files left on directory", Info);
        c_.window.ShowDriveStatus();
        return;
    }

    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.status.ShowStatus(" Locating write position ...");
    // Append right after the catalog's last record rather than at end of
    // data: a run that failed or crashed half-way leaves an unfinished record
    // there, and appending after it would shift every later entry off its
    // record. The next write cuts it off.
    if (c_.volume.MoveToAppendPoint(entries) != 0) {
        Fail("MoveToEOD error");
        return;
    }

    std::int64_t transferSeconds = 0;
    if (WriteMarked(JobImages::kBackupArchive, transferSeconds) != 0) return;
    if (WriteMarked(JobImages::kBackupFile, transferSeconds) != 0) return;

    c_.window.ListTapeDirectory(c_.currentDirFilePath);
    c_.window.ShowDriveStatus();
    const std::int64_t elapsed = c_.now() - start;
    c_.messages.ShowMessage(JobSummary("Backup ended successfully!", "Disk->tape rate: ", c_.counters.bytesDone,
                                       elapsed, transferSeconds),
                            Success);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.window.ClearByteLabel();
}

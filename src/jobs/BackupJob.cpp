#include "jobs/BackupJob.h"

#include <sys/stat.h>

#include <algorithm>

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobEvents.h"
#include "jobs/JobSummary.h"
#include "jobs/RecordDamage.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/TapeFormat.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
const std::string kWritingDirectory = " Writing directory...";
}  // namespace

BackupJob::BackupJob(JobContext& context) : c_(context), check_(context) {
    for (std::string* s : {&path_, &text_}) s->reserve(kTextReserve);
}

int BackupJob::EndEntries() { return c_.dirFile.EndAppend(); }

void BackupJob::Fail(MessageId id, const CommandFailure& failure) {
    c_.messages.ShowFailure(id, failure);
    c_.events.ShowDriveStatus();
}

int BackupJob::CheckFile(const std::string& folder, const std::string& name) {
    if (name.size() > DirFileFormat::kMaxNameLength) {
        c_.messages.ShowMessage(MessageId::BackupFileNameTooLong, {name});
        return -1;
    }
    if (!IsPlainName(name) || name == TapeFormat::kReservedFileName) {
        c_.messages.ShowMessage(MessageId::BackupFileNameNotAllowed, {name});
        return -1;
    }
    JoinPath(folder, name, path_);
    struct stat status {};
    // A file that cannot be looked at now is reported by the backup itself,
    // with the message for a file that does not open.
    if (::stat(path_.c_str(), &status) == 0 && status.st_size > TapeFormat::kMaxFileSize) {
        c_.messages.ShowMessage(MessageId::BackupFileTooLarge, {path_});
        return -1;
    }
    return 0;
}

int BackupJob::CheckFiles(const BackupRequest& request) {
    for (const auto* names : {&request.archives, &request.files})
        for (const std::string& name : *names)
            if (CheckFile(request.folder, name) != 0) return -1;
    return 0;
}

int BackupJob::WriteFiles(const std::string& folder, const std::vector<std::string>& names, int& record,
                          std::int64_t& transferSeconds) {
    const int blockLength = c_.drive.blockLength;
    for (const std::string& name : names) {
        ++record;
        text_.assign(" Writing file: ").append(name);
        c_.status.ShowStatus(text_);
        const std::int64_t t0 = c_.now();
        const int written = c_.volume.BackupFile(name, folder, blockLength);
        transferSeconds += c_.now() - t0;
        if (written != 0) {
            const CommandFailure& failure = c_.volume.LastCommandFailure();
            report_.Add(record, name, RecordOutcome::Failed, RecordFault::None, failure);
            // The entries of the records before go on the medium before the
            // user hears of the failure.
            const int entries = EndEntries();
            if (c_.volume.LastBackupMetEndOfTape() && entries == 0) {
                c_.messages.ShowFailure(MessageId::TapeFull, failure, {name});
                c_.events.ShowDriveStatus();
            } else {
                Fail(MessageId::WriteFileTapeError, failure);
            }
            if (entries != 0) Fail(MessageId::ErrorWritingCatalog);
            return -1;
        }
        c_.status.ShowStatus(kWritingDirectory);
        // The entry carries exactly what the record's header says, even if
        // the file changed on disk since it was read.
        const FileHeader& h = c_.volume.LastWrittenHeader();
        if (c_.dirFile.AppendNext(h.name, h.modificationDate, h.backupDate, h.size, h.blockCount) != 0) {
            report_.Add(record, name, RecordOutcome::Failed);
            EndEntries();
            Fail(MessageId::ErrorWritingCatalog);
            return -1;
        }
        report_.Add(record, name, RecordOutcome::Done);
    }
    return 0;
}

JobResult BackupJob::LocateWritePosition(std::size_t selected, int& entries) {
    c_.status.ShowStatus(" Initializing ...");
    const int validated = c_.dirFile.ValidateEntries(c_.currentDirFilePath, entries);
    if (validated < 0) {
        Fail(MessageId::CannotCountEntries);
        return JobResult::Failed;
    }
    // Entries after damage could not be trusted to stand where their
    // records are, and a record appended behind them would be lost to them.
    if (validated > 0) {
        c_.messages.ShowMessage(MessageId::CatalogDamaged, {std::to_string(entries)});
        c_.events.ShowDriveStatus();
        return JobResult::Refused;
    }
    const int room = DirFileFormat::kMaxEntries - std::min(entries, DirFileFormat::kMaxEntries);
    if (static_cast<std::size_t>(room) < selected) {
        c_.messages.ShowMessage(MessageId::NoRoomInCatalog, {std::to_string(room)});
        c_.events.ShowDriveStatus();
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
    case kAppendUnlisted:
        c_.messages.ShowMessage(MessageId::UnlistedRecords, {RecordCountText(c_.volume.UnlistedRecords())});
        c_.events.ShowDriveStatus();
        return JobResult::Refused;
    case kAppendUnreadable:
        Fail(MessageId::TapeDamagedAfterCatalog, c_.volume.LastCommandFailure());
        return JobResult::Failed;
    default:
        Fail(MessageId::MoveToEodFailed, c_.volume.LastCommandFailure());
        return JobResult::Failed;
    }
}

JobReport BackupJob::Run(const BackupRequest& request) {
    report_ = JobReport{};
    report_.records.reserve(request.Count());
    auto end = [&](JobResult result) {
        report_.result = result;
        return report_;
    };
    if (request.Count() == 0) {
        c_.messages.ShowMessage(MessageId::NoFilesSelected);
        return end(JobResult::Refused);
    }
    if (CheckFiles(request) != 0) return end(JobResult::Refused);

    const std::int64_t start = c_.now();
    if (check_.Run(TapeCheck::Wording::Backup) != 0) return end(JobResult::Failed);
    int entries = 0;
    const JobResult located = LocateWritePosition(request.Count(), entries);
    if (located != JobResult::Done) return end(located);

    // Each entry is written once its record is complete on the medium, and
    // all of them are put on the medium before the job ends.
    if (c_.dirFile.BeginAppend(c_.currentDirFilePath) != 0) {
        Fail(MessageId::ErrorWritingCatalog);
        return end(JobResult::Failed);
    }
    std::int64_t transferSeconds = 0;
    int record = entries;
    if (WriteFiles(request.folder, request.archives, record, transferSeconds) != 0 ||
        WriteFiles(request.folder, request.files, record, transferSeconds) != 0) {
        report_.bytes = c_.counters.bytesDone;
        return end(JobResult::Failed);
    }
    if (EndEntries() != 0) {
        Fail(MessageId::ErrorWritingCatalog);
        return end(JobResult::Failed);
    }

    c_.events.CatalogChanged(c_.currentDirFilePath);
    c_.events.ShowDriveStatus();
    const std::int64_t elapsed = c_.now() - start;
    report_.bytes = c_.counters.bytesDone;
    const SummaryFigures f = JobSummaryFigures(c_.counters.bytesDone, elapsed, transferSeconds);
    c_.messages.ShowMessage(MessageId::BackupSummary,
                            {"Backup ended successfully!", f.bytes, f.time, f.totalRate, f.transferRate});
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.events.ClearByteLabel();
    return end(JobResult::Done);
}

#include "jobs/BackupJob.h"

#include <sys/stat.h>

#include <algorithm>

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobEvents.h"
#include "jobs/JobSummary.h"
#include "jobs/RecordDamage.h"
#include "jobs/StopRequest.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/TapeFormat.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
const std::string kWritingDirectory = " Writing directory...";
}  // namespace

BackupJob::BackupJob(JobContext& context) : c_(context), check_(context), drive_(context) {
    for (std::string* s : {&path_, &text_}) s->reserve(kTextReserve);
}

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

int BackupJob::TakeEntry(int record, const FileHeader& h) {
    if (!c_.volume.Streaming()) {
        c_.status.ShowStatus(kWritingDirectory);
        // The entry carries exactly what the record's header says, even if
        // the file changed on disk since it was read.
        if (c_.dirFile.AppendNext(h.name, h.modificationDate, h.backupDate, h.size, h.blockCount,
                                  &c_.volume.LastWrittenFacts()) != 0)
            return -1;
        report_.Add(record, h.name, RecordOutcome::Done);
        return 0;
    }
    // Assigned into strings reserved at the start: nothing is allocated per file.
    FileHeader& held = held_[heldCount_];
    held.name = h.name;
    held.modificationDate = h.modificationDate;
    held.backupDate = h.backupDate;
    held.size = h.size;
    held.blockCount = h.blockCount;
    heldFacts_[heldCount_] = c_.volume.LastWrittenFacts();
    heldRecords_[heldCount_++] = record;
    return 0;
}

int BackupJob::EndEntries(bool drop) {
    int result = 0;
    if (heldCount_ > 0) {
        // One flush for all of them: only then do their entries name
        // records on the medium.
        c_.status.ShowStatus(kWritingDirectory);
        flushFailed_ = !drop && c_.volume.Flush() != 0;
        if (drop || flushFailed_) {
            for (std::size_t i = 0; i < heldCount_; ++i) {
                report_.Add(heldRecords_[i], held_[i].name, RecordOutcome::Failed);
                dropped_.push_back(&held_[i].name);
            }
        } else {
            for (std::size_t i = 0; i < heldCount_ && result == 0; ++i) {
                const FileHeader& h = held_[i];
                result = c_.dirFile.AppendNext(h.name, h.modificationDate, h.backupDate, h.size, h.blockCount,
                                               &heldFacts_[i]);
                report_.Add(heldRecords_[i], h.name, result == 0 ? RecordOutcome::Done : RecordOutcome::Failed);
            }
        }
        heldCount_ = 0;
    }
    return c_.dirFile.EndAppend() == 0 ? result : -1;
}

std::string BackupJob::NotBackedUp(std::size_t next, const char* advice) const {
    std::string names;
    int count = 0;
    auto add = [&](const std::string& name) {
        names += (count++ == 0 ? "" : ", ") + name;
    };
    for (const std::string* name : dropped_) add(*name);
    for (std::size_t i = next; i < order_.size(); ++i) add(*order_[i]);
    return "Not backed up: " + names + ". " + advice + (count == 1 ? " it." : " them.");
}

JobResult BackupJob::Stopped(const std::string& name, std::size_t next) {
    const CommandFailure failure = c_.volume.LastCommandFailure();
    const TapeVolume::WriteStop stop = c_.volume.LastWriteStop();
    // The entries of the records before go on the medium before the user
    // hears of the failure, unless the drive may have lost them from its
    // buffer (a reset, a deferred error, a residue beyond the command).
    const bool drop = stop == TapeVolume::WriteStop::Interrupted || c_.volume.LostBufferedRecords();
    const int entries = EndEntries(drop);
    if (stop == TapeVolume::WriteStop::EndOfTape && entries == 0) {
        report_.tapeFull = true;
        if (spanning_)
            c_.messages.ShowMessage(MessageId::TapeFullGoingOn, {c_.currentTapeName, name});
        else
            c_.messages.ShowFailure(MessageId::TapeFull, failure, {name, NotBackedUp(next, "The next tape can take")});
        c_.events.ShowDriveStatus();
    } else if (stop == TapeVolume::WriteStop::Interrupted && entries == 0) {
        c_.messages.ShowFailure(MessageId::BackupInterrupted, failure,
                                {name, NotBackedUp(next, "Run the backup again for")});
        c_.events.ShowDriveStatus();
    } else {
        Fail(MessageId::WriteFileTapeError, failure);
    }
    if (entries != 0) Fail(MessageId::ErrorWritingCatalog);
    c_.events.CatalogChanged(c_.currentDirFilePath);
    return JobResult::Failed;
}

JobResult BackupJob::WriteFiles(const std::string& folder, int& record, std::int64_t& transferSeconds) {
    const int blockLength = c_.drive.blockLength;
    for (std::size_t i = 0; i < order_.size(); ++i) {
        // Between two records: what is on the tape so far gets its entries.
        if (i > 0 && c_.stop != nullptr && c_.stop->Requested()) {
            stoppedAt_ = i;
            return JobResult::Declined;
        }
        const std::string& name = *order_[i];
        ++record;
        text_.assign(" Writing file: ").append(name);
        c_.status.ShowStatus(text_);
        const std::int64_t t0 = c_.now();
        const int written = c_.volume.BackupFile(name, folder, blockLength);
        transferSeconds += c_.now() - t0;
        if (written != 0) {
            report_.Add(record, name, RecordOutcome::Failed, RecordFault::None, c_.volume.LastCommandFailure());
            return Stopped(name, i);
        }
        if (TakeEntry(record, c_.volume.LastWrittenHeader()) != 0) {
            report_.Add(record, name, RecordOutcome::Failed);
            EndEntries();
            Fail(MessageId::ErrorWritingCatalog);
            return JobResult::Failed;
        }
        // The early warning: the record is whole, but the rest of the
        // files would run into the end of the tape.
        if (c_.volume.NearlyFull() && i + 1 < order_.size()) {
            if (EndEntries() != 0) {
                Fail(MessageId::ErrorWritingCatalog);
                return JobResult::Failed;
            }
            c_.events.CatalogChanged(c_.currentDirFilePath);
            report_.tapeFull = true;
            if (spanning_)
                c_.messages.ShowMessage(MessageId::TapeNearlyFullGoingOn, {c_.currentTapeName, name});
            else
                c_.messages.ShowMessage(MessageId::TapeNearlyFull,
                                        {name, NotBackedUp(i + 1, "The next tape can take")});
            c_.events.ShowDriveStatus();
            return JobResult::Failed;
        }
    }
    return JobResult::Done;
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
    // Spanning, the catalog takes what it has room for and the rest goes on.
    if (spanning_ && room > 0 && static_cast<std::size_t>(room) < selected) {
        order_.resize(static_cast<std::size_t>(room));
        catalogFilled_ = true;
    } else if (static_cast<std::size_t>(room) < selected) {
        report_.tapeFull = true;
        if (spanning_)
            c_.messages.ShowMessage(MessageId::CatalogFullGoingOn, {c_.currentTapeName});
        else
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
    case AppendResult::Unlisted:
        c_.messages.ShowMessage(MessageId::UnlistedRecords, {RecordCountText(c_.volume.UnlistedRecords())});
        c_.events.ShowDriveStatus();
        return JobResult::Refused;
    case AppendResult::Unreadable:
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
    if (request.Count() == 0) {
        c_.messages.ShowMessage(MessageId::NoFilesSelected);
        report_.result = JobResult::Refused;
        return report_;
    }
    if (CheckFiles(request) != 0) {
        report_.result = JobResult::Refused;
        return report_;
    }
    drive_.Start();
    RunOnDrive(request);
    drive_.End();
    return report_;
}

JobReport BackupJob::RunOnDrive(const BackupRequest& request) {
    auto end = [&](JobResult result) {
        report_.result = result;
        return report_;
    };
    spanning_ = request.spanning;
    catalogFilled_ = false;
    order_.clear();
    order_.reserve(request.Count());
    for (const auto* names : {&request.archives, &request.files})
        for (const std::string& name : *names) order_.push_back(&name);
    dropped_.clear();
    dropped_.reserve(request.Count());
    heldCount_ = 0;
    if (c_.volume.Streaming()) {
        // Room for every entry the run may hold back, made before the first
        // record so that nothing is allocated per file.
        held_.resize(request.Count());
        heldRecords_.resize(request.Count());
        heldFacts_.resize(request.Count());
        for (FileHeader& h : held_) {
            h.name.reserve(DirFileFormat::kMaxNameLength);
            h.modificationDate.reserve(TapeFormat::kDateWidth);
            h.backupDate.reserve(TapeFormat::kDateWidth);
        }
    }

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
    stoppedAt_ = order_.size();
    const JobResult written = WriteFiles(request.folder, record, transferSeconds);
    if (written != JobResult::Done && written != JobResult::Declined) {
        report_.bytes = c_.counters.bytesDone;
        return end(written);
    }
    // Streaming, the last flush puts the held records on the medium; when
    // it fails, the first of them is where the backup stopped.
    flushFailed_ = false;
    const int ended = EndEntries();
    if (flushFailed_) return end(Stopped(*dropped_.front(), order_.size()));
    if (ended != 0) {
        Fail(MessageId::ErrorWritingCatalog);
        return end(JobResult::Failed);
    }

    c_.events.CatalogChanged(c_.currentDirFilePath);
    c_.events.ShowDriveStatus();
    if (catalogFilled_) {
        report_.bytes = c_.counters.bytesDone;
        report_.tapeFull = true;
        c_.messages.ShowMessage(MessageId::CatalogFullGoingOn, {c_.currentTapeName});
        return end(JobResult::Failed);
    }
    const std::int64_t elapsed = c_.now() - start;
    report_.bytes = c_.counters.bytesDone;
    const SummaryFigures f = JobSummaryFigures(c_.counters.bytesDone, elapsed, transferSeconds);
    std::string headline = "Backup ended successfully!";
    if (written == JobResult::Declined)
        headline = "Backup stopped as asked: " + std::to_string(stoppedAt_) + " of " + std::to_string(order_.size()) +
                   " files backed up.\n" + NotBackedUp(stoppedAt_, "Run the backup again for");
    c_.messages.ShowMessage(MessageId::BackupSummary, {headline, f.bytes, f.time, f.totalRate, f.transferRate});
    if (c_.volume.NearlyFull()) c_.messages.ShowMessage(MessageId::TapeNowNearlyFull);
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    c_.events.ClearByteLabel();
    return end(written);
}

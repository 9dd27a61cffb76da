#include "jobs/RestoreJob.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/EntryWalk.h"
#include "jobs/JobEvents.h"
#include "jobs/JobSummary.h"
#include "jobs/StopRequest.h"
#include "jobs/RecordDamage.h"
#include "scsi/ScsiDevice.h"
#include "tape/JoinPath.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kTextReserve = 4096;
}  // namespace

RestoreJob::RestoreJob(JobContext& context) : c_(context), check_(context), drive_(context) {
    for (std::string* s : {&fileDate_, &version_, &folder_}) s->reserve(kTextReserve);
}

void RestoreJob::Fail(MessageId id, bool close, const CommandFailure& failure) {
    c_.messages.ShowFailure(id, failure);
    c_.events.ShowDriveStatus();
    if (close) c_.dirFile.Close();
}

JobResult RestoreJob::FailFinishing(bool close) {
    c_.volume.Files().EndGroup();
    Fail(MessageId::RestoreError, close);
    c_.events.TargetFolderChanged();
    return JobResult::Failed;
}

void RestoreJob::RemoveStaleTemporaries() {
    const int removed = c_.volume.Files().RemoveStale(folder_);
    if (removed <= 0) return;
    c_.messages.ShowMessage(MessageId::StaleTemporariesRemoved,
                            {std::to_string(removed) + (removed == 1 ? " unfinished file" : " unfinished files"),
                             folder_});
}

JobResult RestoreJob::Finish(std::int64_t bytes, std::int64_t start) {
    const std::int64_t elapsed = c_.now() - start;
    const std::string first = outcome_.FirstLine();
    const SummaryFigures f = JobSummaryFigures(bytes, elapsed, transferSeconds_);
    c_.messages.ShowMessage(MessageId::RestoreSummary, outcome_.Kind(),
                            {first, f.bytes, f.time, f.totalRate, f.transferRate, outcome_.Notes()});
    c_.counters.bytesDone = 0;
    c_.status.ShowProgress(0, c_.counters.bytesTotal);
    report_.bytes = bytes;
    return outcome_.Result();
}

void RestoreJob::SumDiffers(int record, const std::string& name) {
    report_.Add(record, name, RecordOutcome::Damaged, RecordFault::SumDiffers);
    ++outcome_.damaged;
}

JobReport RestoreJob::Run(const RestoreRequest& request) {
    transferSeconds_ = 0;
    outcome_ = RestoreOutcome{};
    report_ = JobReport{};
    report_.records.reserve(request.entries.size());
    c_.volume.Files().SetPolicy(request.policy);
    folder_ = request.folder;
    if (request.entries.empty() && c_.messages.ShowMessage(MessageId::FullRestoreQuestion) != kMessageOk) {
        report_.result = JobResult::Declined;
        return report_;
    }
    drive_.Start();
    report_.result = request.entries.empty() ? FullRestore() : SelectiveRestore(request);
    drive_.End();
    return report_;
}

JobResult RestoreJob::Interrupted(int record, const std::string& name, const std::string& notRestored) {
    c_.volume.Files().EndGroup();
    std::string restored;
    for (const RecordReport& r : report_.records)
        if (r.outcome == RecordOutcome::Done) restored += (restored.empty() ? "" : ", ") + r.name;
    if (restored.empty()) restored = "nothing";
    const std::string named = name.empty() ? std::string() : " ('" + name + "')";
    c_.messages.ShowFailure(MessageId::RestoreInterrupted, c_.volume.LastCommandFailure(),
                            {std::to_string(record), named, restored, notRestored}, record);
    c_.events.ShowDriveStatus();
    c_.events.TargetFolderChanged();
    return JobResult::Failed;
}

JobResult RestoreJob::FullRestore() {
    const DriveAddress& a = c_.drive.address;
    const std::int64_t start = c_.now();
    c_.status.ShowStatus(" Rewinding tape ...");
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0) {
        Fail(MessageId::RewindTapeError, false, c_.device.LastFailure());
        return JobResult::Failed;
    }
    c_.status.ShowStatus(" Checking tape ...");
    if (c_.volume.ReadIdentBlock(c_.currentTapeName, fileDate_, version_) < 0) {
        c_.messages.ShowFailure(MessageId::IdentUnreadable, c_.volume.LastCommandFailure());
        return JobResult::Failed;
    }

    // The catalog's checksums, when it is this tape's.
    std::string catalogTape, catalogDate, catalogVersion;
    if (c_.dirFile.ReadIdent(c_.currentDirFilePath, catalogTape, catalogDate, catalogVersion) == 0 &&
        catalogTape == c_.currentTapeName && catalogDate == fileDate_)
        sums_.Load(c_.dirFile, c_.currentDirFilePath);
    else
        sums_ = CatalogSums{};

    c_.status.ShowStatus(" Reading all files...");
    RemoveStaleTemporaries();
    c_.volume.Files().BeginGroup();
    FullRestorer restorer(*this);
    const TapeWalk::End end = TapeWalk(c_.device, c_.drive.address).Run(restorer);
    if (restorer.failed) return FailFinishing(false);
    if (end.interrupted) {
        const bool atRecord = restorer.interruptedAt > 0;
        const int record = atRecord ? restorer.interruptedAt : end.stuckAt + 1;
        return Interrupted(record, atRecord ? restorer.interruptedName : std::string(), {});
    }
    outcome_.stuckAt = end.stuckAt;
    outcome_.unfinished = end.unfinished;
    if (end.unfinished) {
        // What the walk's last visit read of it, before the end of data.
        outcome_.unfinishedName = c_.volume.LastHeader().name;
        outcome_.unfinishedBlocks = c_.volume.BlocksFound();
        outcome_.unfinishedOf = c_.volume.LastHeader().blockCount;
    }
    if (c_.volume.Files().EndGroup() != 0) return FailFinishing(false);
    c_.events.TargetFolderChanged();
    c_.events.ShowDriveStatus();
    const JobResult result = Finish(restorer.bytes, start);
    c_.events.TargetFolderChanged();
    return result;
}

TapeWalk::Step RestoreJob::FullRestorer::Visit(int record) {
    RestoreJob& j = job_;
    TapeWalk::Step step;
    if (record > 1 && j.c_.stop != nullptr && j.c_.stop->Requested()) {
        j.outcome_.stopped = true;
        step.stop = true;
        return step;
    }
    const std::int64_t t0 = j.c_.now();
    if (record - 1 < j.sums_.Entries())
        j.c_.volume.ExpectFacts(j.sums_.Facts(record - 1), &j.sums_.Name(record - 1));
    const int restored = j.c_.volume.RestoreNextFile(j.c_.drive.blockLength, j.folder_);
    j.transferSeconds_ += j.c_.now() - t0;
    step.pastFilemark = j.c_.volume.PastFilemark();
    if (restored == 0) return step;
    step.fault = j.c_.volume.LastFault();
    const std::string& name = j.c_.volume.LastHeader().name;
    if (step.fault == RecordFault::Interrupted) {
        interruptedAt = record;
        // Empty when the attention came before the record's header.
        interruptedName = name;
        j.report_.Add(record, name, RecordOutcome::Failed, step.fault, j.c_.volume.LastCommandFailure());
    }
    if (step.fault == RecordFault::Declined) {
        JoinPath(j.folder_, name, j.outcome_.declinedPath);
        j.report_.Add(record, name, RecordOutcome::Declined, step.fault);
        step.stop = true;
    }
    // A file that could not be created or written whole is a failed
    // restore, never a successful end of the tape.
    if (step.fault == RecordFault::Disk) {
        j.report_.Add(record, name, RecordOutcome::Failed, step.fault);
        failed = true;
        step.stop = true;
    }
    return step;
}

bool RestoreJob::FullRestorer::Take(int record, RecordFault fault) {
    RestoreJob& j = job_;
    const std::string& name = j.c_.volume.LastHeader().name;
    if (fault == RecordFault::None) {
        bytes += j.c_.counters.bytesDone;
        ++j.outcome_.restored;
        j.report_.Add(record, name, RecordOutcome::Done);
        // The folder shows restored files once they are in place.
        if (!j.c_.volume.Files().Waiting()) j.c_.events.TargetFolderChanged();
        return true;
    }
    if (fault == RecordFault::Skipped) {
        ++j.outcome_.leftExisting;
        j.report_.Add(record, name, RecordOutcome::LeftAsItWas, fault);
        return true;
    }
    if (fault == RecordFault::SumDiffers) {
        j.SumDiffers(record, name);
        return true;
    }
    if (j.c_.volume.Files().Finish() != 0) {
        failed = true;
        return false;
    }
    const CommandFailure& failure = j.c_.volume.LastCommandFailure();
    j.c_.messages.ShowFailure(MessageId::RecordSkipped, failure,
                              {std::to_string(record), RecordDamageText(fault, name)});
    j.report_.Add(record, fault == RecordFault::NoHeader ? std::string() : name, RecordOutcome::Damaged, fault,
                  failure);
    ++j.outcome_.damaged;
    return true;
}

JobResult RestoreJob::SelectiveRestore(const RestoreRequest& request) {
    const std::int64_t start = c_.now();
    outcome_.selective = true;
    if (check_.Run(TapeCheck::Wording::RestoreOrVerify) != 0) return JobResult::Failed;
    sums_.Load(c_.dirFile, c_.currentDirFilePath);
    EntryWalk walk(c_, request.entries, request.listed);
    if (!walk.Open()) return JobResult::Failed;

    c_.counters.bytesDone = 0;
    RemoveStaleTemporaries();
    c_.volume.Files().BeginGroup();
    while (walk.Next()) {
        if (!report_.records.empty() && c_.stop != nullptr && c_.stop->Requested()) {
            outcome_.stopped = true;
            break;
        }
        if (DirFileFormat::IsDamagedEntry(walk.Name())) {
            c_.volume.Files().EndGroup();
            c_.messages.ShowMessage(MessageId::DamagedEntry, {std::to_string(walk.Record())});
            report_.Add(walk.Record(), walk.Name(), RecordOutcome::Damaged, RecordFault::NoHeader);
            Fail(MessageId::RestoreError, true);
            c_.events.TargetFolderChanged();
            return JobResult::Failed;
        }
        const std::int64_t t0 = c_.now();
        c_.volume.ExpectFacts(sums_.Facts(walk.Record() - 1));
        const int restored = c_.volume.RestoreFile(walk.Name(), walk.FileDate(), walk.Size(), walk.BlockCount(),
                                                   c_.drive.blockLength, folder_);
        transferSeconds_ += c_.now() - t0;
        if (c_.volume.PastFilemark()) walk.PassedFilemark();
        if (restored == 0) {
            ++outcome_.restored;
            report_.Add(walk.Record(), walk.Name(), RecordOutcome::Done);
            if (!c_.volume.Files().Waiting()) c_.events.TargetFolderChanged();
            continue;
        }
        const RecordFault fault = c_.volume.LastFault();
        if (fault == RecordFault::Skipped) {
            ++outcome_.leftExisting;
            report_.Add(walk.Record(), walk.Name(), RecordOutcome::LeftAsItWas, fault);
            continue;
        }
        if (fault == RecordFault::SumDiffers) {
            SumDiffers(walk.Record(), walk.Name());
            continue;
        }
        if (fault == RecordFault::Declined) {
            JoinPath(folder_, walk.Name(), outcome_.declinedPath);
            report_.Add(walk.Record(), walk.Name(), RecordOutcome::Declined, fault);
            break;
        }
        if (fault == RecordFault::Interrupted) {
            report_.Add(walk.Record(), walk.Name(), RecordOutcome::Failed, fault, c_.volume.LastCommandFailure());
            const int more = static_cast<int>(request.entries.size()) - report_.Count(RecordOutcome::Done) -
                             report_.Count(RecordOutcome::LeftAsItWas) - 1;
            std::string rest = "\nNot restored: '" + walk.Name() + "'";
            if (more > 0) rest += " and " + std::to_string(more) + (more == 1 ? " more file" : " more files");
            rest += ". Run the restore again for ";
            rest += more > 0 ? "them." : "it.";
            c_.dirFile.Close();
            return Interrupted(walk.Record(), walk.Name(), rest);
        }
        const bool damage = fault != RecordFault::Disk && fault != RecordFault::Mismatch;
        const CommandFailure& failure = c_.volume.LastCommandFailure();
        report_.Add(walk.Record(), walk.Name(), damage ? RecordOutcome::Damaged : RecordOutcome::Failed, fault,
                    failure);
        c_.volume.Files().EndGroup();
        Fail(MessageId::RestoreError, true, failure);
        c_.events.TargetFolderChanged();
        return JobResult::Failed;
    }
    const bool waiting = c_.volume.Files().Waiting();
    if (c_.volume.Files().EndGroup() != 0) return FailFinishing(true);
    if (waiting) c_.events.TargetFolderChanged();
    if (walk.Failed()) return JobResult::Failed;
    c_.dirFile.Close();
    c_.events.ShowDriveStatus();
    return Finish(c_.counters.bytesDone, start);
}

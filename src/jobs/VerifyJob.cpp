#include "jobs/VerifyJob.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/JobImages.h"
#include "jobs/EntryWalk.h"
#include "jobs/JobEvents.h"
#include "jobs/StopRequest.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

VerifyJob::VerifyJob(JobContext& context, VerifyResults& results, VerifyResultsSink& view)
    : c_(context), results_(results), view_(view), check_(context), drive_(context) {}

bool VerifyJob::AddResult(int record, const std::string& name, int result) {
    if (result == VerifyResult::Failed) {
        const RecordFault fault = c_.volume.LastFault();
        const bool interrupted = fault == RecordFault::Interrupted;
        report_.Add(record, name, interrupted ? RecordOutcome::Failed : RecordOutcome::Damaged, fault,
                    c_.volume.LastCommandFailure());
        if (interrupted)
            c_.messages.ShowFailure(MessageId::VerifyInterrupted, c_.volume.LastCommandFailure(), {name}, record);
        return false;
    }
    const char* status = "Failed";
    int image = JobImages::kVerifyProblem;
    std::string difference;
    RecordOutcome outcome = RecordOutcome::Differs;
    if (result == VerifyResult::CannotOpen) {
        status = "File not found";
        outcome = RecordOutcome::NotFound;
    } else if (result == VerifyResult::Identical) {
        status = "OK";
        image = JobImages::kVerifyOk;
        outcome = RecordOutcome::Done;
    } else if (result == VerifyResult::TapeDamaged) {
        status = "Tape damaged";
        outcome = RecordOutcome::Damaged;
    } else if (result == VerifyResult::DiffersAtStart) {
        // Offset 0 would read as "identical"; the volume reports it apart.
        difference = "0";
    } else if (result > 0) {
        difference = std::to_string(result);
    } else {
        return true;
    }
    report_.Add(record, name, outcome, outcome == RecordOutcome::Damaged ? RecordFault::SumDiffers : RecordFault::None);
    if (outcome == RecordOutcome::Differs) report_.records.back().difference = result > 0 ? result : 0;
    results_.Add({name, status, std::move(difference), image});
    view_.RepaintResults();
    return true;
}

JobReport VerifyJob::Run(const VerifyRequest& request) {
    report_ = JobReport{};
    report_.records.reserve(request.entries.size());
    results_.Clear();
    view_.RepaintResults();
    if (request.entries.empty()) {
        c_.messages.ShowMessage(MessageId::NoFilesSelectedToVerify);
        report_.result = JobResult::Refused;
        return report_;
    }
    view_.ShowResults();
    view_.EnableButtons(false);
    view_.RepaintResults();
    drive_.Start();
    report_.result = Verify(request);
    drive_.End();
    return report_;
}

JobResult VerifyJob::Verify(const VerifyRequest& request) {
    auto end = [](JobResult result) { return result; };
    if (check_.Run(TapeCheck::Wording::RestoreOrVerify) != 0) return end(JobResult::Failed);
    sums_.Load(c_.dirFile, c_.currentDirFilePath);
    EntryWalk walk(c_, request.entries, request.listed);
    if (!walk.Open()) return end(JobResult::Failed);

    c_.counters.bytesDone = 0;
    bool stopped = false;
    while (walk.Next()) {
        if (!report_.records.empty() && c_.stop != nullptr && c_.stop->Requested()) {
            // The row says so where the user looks for the files' results.
            results_.Add({"(stopped as asked: the files after this were not verified)", "Stopped", {},
                          JobImages::kVerifyProblem});
            view_.RepaintResults();
            stopped = true;
            break;
        }
        // Its header could not be read when the catalog was made: nothing
        // on tape to compare.
        if (DirFileFormat::IsDamagedEntry(walk.Name())) {
            report_.Add(walk.Record(), walk.Name(), RecordOutcome::Damaged, RecordFault::NoHeader);
            results_.Add({walk.Name(), "Damaged", {}, JobImages::kVerifyProblem});
            view_.RepaintResults();
            continue;
        }
        c_.volume.ExpectFacts(sums_.Summed(walk.Record() - 1));
        const int result = c_.volume.VerifyFile(walk.Name(), walk.FileDate(), walk.Size(), walk.BlockCount(),
                                                c_.drive.blockLength, request.folder);
        if (c_.volume.PastFilemark()) walk.PassedFilemark();
        if (!AddResult(walk.Record(), walk.Name(), result)) {
            // The volume has said what went wrong.
            c_.dirFile.Close();
            view_.HideResults();
            return end(JobResult::Failed);
        }
    }
    if (walk.Failed()) return end(JobResult::Failed);
    c_.dirFile.Close();
    c_.events.ShowDriveStatus();
    c_.counters.bytesDone = 0;
    c_.counters.bytesTotal = 0;
    c_.status.ShowProgress(0, 0);
    view_.EnableButtons(true);
    view_.RepaintResults();
    return end(stopped ? JobResult::Declined : JobResult::Done);
}

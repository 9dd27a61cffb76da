#include "jobs/RestoreOutcome.h"

#include "jobs/RecordDamage.h"
#include "report/MessageKind.h"

namespace {

std::string Files(int count) { return std::to_string(count) + (count == 1 ? " file" : " files"); }

}  // namespace

std::string RestoreOutcome::FirstLine() const {
    if (!declinedPath.empty()) return "Restore stopped: '" + declinedPath + "' exists and was not overwritten!";
    if (stopped) return "Restore stopped as asked: " + Files(restored) + " restored, the rest not.";
    if (damaged > 0) return "Restore ended with " + RecordCountText(damaged) + " skipped!";
    if (stuckAt >= 0) return "Restore ended before the end of the tape!";
    if (unfinished) return "Restore ended with 1 file record not restored!";
    if (leftExisting > 0)
        return "Restore ended: " + Files(leftExisting) + (leftExisting == 1 ? " that exists was" : " that exist were") +
               " left as " + (leftExisting == 1 ? "it was!" : "they were!");
    return "Restore ended successfully!";
}

std::string RestoreOutcome::Notes() const {
    std::string notes;
    if (!declinedPath.empty())
        notes += "\n" + Files(restored) + (restored == 1 ? " was" : " were") + " restored before it; " +
                 (selective ? "the files after it were not restored." : "the records after it were not restored.");
    else if (damaged > 0 || stuckAt >= 0 || unfinished)
        notes += "\n" + Files(restored) + (restored == 1 ? " was" : " were") + " restored.";
    if (!declinedPath.empty() && damaged > 0) notes += "\n" + RecordCountText(damaged) + " skipped as damaged before.";
    if (stuckAt > 0) notes += "\nThe tape cannot be read past file record " + std::to_string(stuckAt) + ".";
    if (stuckAt == 0) notes += "\nThe tape cannot be read past its ident block.";
    if (unfinished && unfinishedName.empty())
        notes += "\nThe last file record on tape is unfinished and was not restored.";
    if (unfinished && !unfinishedName.empty()) {
        notes += "\nThe last file record on tape, '" + unfinishedName + "', is unfinished and was not restored";
        if (unfinishedBlocks >= 0)
            notes += ": the end of data follows after " + std::to_string(unfinishedBlocks) + " of its " +
                     std::to_string(unfinishedOf) + " data blocks";
        notes += ".";
    }
    if (leftExisting > 0 && (!declinedPath.empty() || damaged > 0 || stuckAt >= 0 || unfinished))
        notes += "\n" + Files(leftExisting) + (leftExisting == 1 ? " that exists was" : " that exist were") +
                 " left as before.";
    return notes;
}

int RestoreOutcome::Kind() const {
    if (!declinedPath.empty() || damaged > 0 || stuckAt >= 0 || unfinished) return Attention;
    return Success;
}

JobResult RestoreOutcome::Result() const {
    if (!declinedPath.empty() || stopped) return JobResult::Declined;
    if (damaged > 0 || stuckAt >= 0 || unfinished) return JobResult::Failed;
    return JobResult::Done;
}

#include "jobs/RebuildDirFile.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "catalog/DirFilePath.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RecordDamage.h"
#include "jobs/TapeWalk.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::size_t kNumbersShown = 10;
}  // namespace

RebuildDirFile::RebuildDirFile(MessageSink& messages, StatusSink& status, ScsiDevice& device,
                               const DriveAddress& drive, TapeVolume& volume, DirFile& dirFile)
    : messages_(messages), status_(status), device_(device), drive_(drive), volume_(volume), dirFile_(dirFile) {
    damagedNumbers_.reserve(kNumbersShown);
}

JobResult RebuildDirFile::Fail(MessageId id, MaintenanceHost& host, std::initializer_list<std::string_view> args,
                               const CommandFailure& failure) {
    messages_.ShowFailure(id, failure, args);
    host.ShowDriveStatus();
    return JobResult::Failed;
}

JobResult RebuildDirFile::Run(const std::string& startDirectory, MaintenanceHost& host) {
    path_.clear();
    if (messages_.ShowMessage(MessageId::RebuildQuestion) != kMessageOk)
        return JobResult::Declined;

    status_.ShowStatus(" Rewinding tape ...");
    if (device_.Rewind(drive_.adapter, drive_.target, drive_.lun) != 0)
        return Fail(MessageId::RewindTapeError, host, {}, device_.LastFailure());

    status_.ShowStatus(" Reading tape ...");
    std::string tapeName, formatDate, version;
    if (volume_.ReadIdentBlock(tapeName, formatDate, version) < 0)
        return Fail(MessageId::IdentUnreadable, host, {}, volume_.LastCommandFailure());
    if (DirFilePath(startDirectory, tapeName, path_) != 0)
        return Fail(MessageId::TapeNameUnusable, host, {tapeName});

    if (dirFile_.Exists(path_) &&
        messages_.ShowMessage(MessageId::TapeNameExists) != kMessageOk) {
        host.ShowDriveStatus();
        return JobResult::Declined;
    }
    if (dirFile_.CreateFromIdent(tapeName, path_, formatDate, version) != 0)
        return Fail(MessageId::ErrorWritingIdentToDisk, host);
    // The entries go on the medium at the end, all at once.
    if (dirFile_.BeginAppend(path_) != 0) return Fail(MessageId::ErrorWritingFileHeaderInfo, host);

    Findings found;
    damagedNumbers_.clear();
    if (ListRecords(found, host) != 0) return JobResult::Failed;
    if (dirFile_.EndAppend() != 0) return Fail(MessageId::ErrorWritingFileHeaderInfo, host);

    status_.ShowStatus("Finished.");
    host.ShowDirectoryFiles();
    const bool incomplete = found.damaged > 0 || found.stuckAt >= 0 || found.tooMany;
    messages_.ShowMessage(MessageId::RebuildSummary, incomplete ? Attention : Success, {ClosingNotes(found)});
    host.ShowDriveStatus();
    return incomplete ? JobResult::Failed : JobResult::Done;
}

bool RebuildDirFile::Append(int record, bool damaged, Findings& found, bool& writeFailed) {
    if (found.entries == DirFileFormat::kMaxEntries) {
        found.tooMany = true;
        return false;
    }
    const FileHeader& h = volume_.LastHeader();
    const int appended = damaged ? dirFile_.AppendNext(DirFileFormat::kDamagedRecordName, "", "", 0, 0)
                                 : dirFile_.AppendNext(h.name, h.modificationDate, h.backupDate, h.size, h.blockCount);
    if (appended != 0) {
        writeFailed = true;
        return false;
    }
    ++found.entries;
    if (damaged) {
        if (damagedNumbers_.size() < kNumbersShown) damagedNumbers_.push_back(record);
        ++found.damaged;
    }
    return true;
}

// Reads each record's header; the walk spaces over the rest.
class RebuildDirFile::Lister : public TapeWalk::Visitor {
public:
    explicit Lister(RebuildDirFile& rebuild) : r_(rebuild) {}
    TapeWalk::Step Visit(int) override {
        TapeWalk::Step step;
        if (r_.volume_.ReadListedHeader() == 0) {
            r_.status_.ShowStatus(" Reading File Info: " + r_.volume_.LastHeader().name + " ...");
        } else {
            step.fault = r_.volume_.LastFault();
        }
        step.pastFilemark = r_.volume_.PastFilemark();
        return step;
    }
    bool Take(int record, RecordFault fault) override {
        return r_.Append(record, fault != RecordFault::None, found, writeFailed);
    }

    Findings found;
    bool writeFailed = false;

private:
    RebuildDirFile& r_;
};

int RebuildDirFile::ListRecords(Findings& found, MaintenanceHost& host) {
    Lister lister(*this);
    const TapeWalk::End end = TapeWalk(device_, drive_).Run(lister);
    found = lister.found;
    if (lister.writeFailed) {
        dirFile_.EndAppend();
        Fail(MessageId::ErrorWritingFileHeaderInfo, host);
        return -1;
    }
    found.stuckAt = end.stuckAt;
    found.unfinished = end.unfinished;
    found.emptyAtEnd = end.emptyAtEnd;
    return 0;
}

std::string RebuildDirFile::ClosingNotes(const Findings& found) const {
    std::string text;
    if (found.damaged == 1)
        text += "\nFile record " + RecordListText(damagedNumbers_, 1) +
                " is damaged: the DirFile lists it as damaged, so that every other entry keeps its place.";
    if (found.damaged > 1)
        text += "\nFile records " + RecordListText(damagedNumbers_, found.damaged) +
                " are damaged: the DirFile lists them as damaged, so that every other entry keeps its place.";
    if (found.stuckAt > 0) text += "\nThe tape cannot be read past file record " + std::to_string(found.stuckAt) + ".";
    if (found.stuckAt == 0) text += "\nThe tape cannot be read past its ident block.";
    if (found.tooMany)
        text += "\nThe tape holds more file records than a DirFile can list (999): those after record 999 are not "
                "listed. A full restore reads them all.";
    if (found.unfinished)
        text += "\nThe last file record on tape is unfinished and was left out; the next backup writes over it.";
    if (found.emptyAtEnd > 0 && !found.tooMany)
        text += "\nThe tape ends in " + std::to_string(found.emptyAtEnd) +
                (found.emptyAtEnd == 1 ? " empty tape file" : " empty tape files") +
                " (filemarks only); they are not listed, and the next backup writes over them.";
    if (found.entries > 0)
        text += "\nA DirFile made from the tape holds no checksums: scrub, restore and verify cannot check these "
                "files' data against the data that was backed up.";
    return text;
}

#include "tape/RestoredFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "tape/DateText.h"
#include "tape/JoinPath.h"
#include "tape/RestoreTemporaries.h"

namespace {

constexpr std::size_t kPathReserve = 4096;
constexpr std::size_t kPendingPathReserve = 512;
// A restored file's data goes to the device while the tape is read on, in
// steps of this size.
constexpr std::int64_t kWriteBackStep = 8 << 20;

// Puts the new name of a file in the folder on the medium.
int SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = ::fsync(fd);
    return (::close(fd) == 0 && result == 0) ? 0 : -1;
}

}  // namespace

RestoredFiles::RestoredFiles(MessageSink& messages) : messages_(messages), pending_(new Pending[kGroupFiles]) {
    for (int i = 0; i < kGroupFiles; ++i) {
        pending_[i].temporary.reserve(kPendingPathReserve);
        pending_[i].path.reserve(kPendingPathReserve);
    }
    pendingFolder_.reserve(kPathReserve);
    path_.reserve(kPathReserve);
    text_.reserve(kPathReserve);
    restored_.reserve(kRestoredReserve);
}

RestoredFiles::~RestoredFiles() { FinishPending(false); }

int RestoredFiles::Fail(MessageId id, const std::string& path) {
    messages_.ShowMessage(id, {path});
    return -1;
}

int RestoredFiles::Report(const Message& message) {
    FinishPending(true);
    messages_.Show(message);
    return -1;
}

int RestoredFiles::Report(MessageId id, const std::string& path) {
    FinishPending(true);
    return Fail(id, path);
}

void RestoredFiles::BeginGroup() {
    grouping_ = true;
    restored_.clear();
}

int RestoredFiles::Finish() { return FinishPending(true); }

int RestoredFiles::EndGroup() {
    grouping_ = false;
    return FinishPending(true);
}

int RestoredFiles::RemoveStale(const std::string& folder) { return RestoreTemporaries::RemoveStale(folder); }

bool RestoredFiles::IsPending(const std::string& path) const {
    for (int i = 0; i < pendingCount_; ++i)
        if (pending_[i].path == path) return true;
    return false;
}

bool RestoredFiles::RestoredByThisJob(std::uint64_t device, std::uint64_t inode) const {
    for (const FileId& id : restored_)
        if (id.device == device && id.inode == inode) return true;
    return false;
}

int RestoredFiles::FinishPending(bool report) {
    if (pendingCount_ == 0) return 0;
    int result = 0;
    auto fail = [&](MessageId id, const std::string& path) {
        if (report) Fail(id, path);
        result = -1;
    };
    // One sync of the file system serves the whole group; each file then
    // only has to say whether its own data reached the device. Without
    // that sync, each file is synced on its own.
    const bool synced = pendingCount_ > 1 && pending_[0].file.SyncFileSystem() == 0;
    for (int i = 0; i < pendingCount_; ++i) {
        Pending& p = pending_[i];
        const bool onMedium = synced ? p.file.WaitWrittenBack() == 0 : p.file.Sync() == 0;
        FileId id{};
        const bool identified = p.file.Identity(id.device, id.inode) == 0;
        if (p.file.Close() != 0 || !onMedium) {
            fail(MessageId::ErrorWritingRestoredFile, p.path);
            ::unlink(p.temporary.c_str());
        } else if (::rename(p.temporary.c_str(), p.path.c_str()) != 0) {
            fail(MessageId::ErrorCreatingFile, p.path);
            ::unlink(p.temporary.c_str());
        } else if (identified) {
            restored_.push_back(id);
        }
    }
    if (SyncFolder(pendingFolder_) != 0) fail(MessageId::ErrorWritingRestoredFile, pending_[pendingCount_ - 1].path);
    pendingCount_ = 0;
    pendingBytes_ = 0;
    return result;
}

int RestoredFiles::Open(const std::string& folder, const std::string& name, RecordFault& fault) {
    JoinPath(folder, name, path_);
    written_ = 0;
    writtenBack_ = 0;
    // A record that carries the short temporary name of earlier versions
    // could meet a temporary file of the group: it is restored on its own.
    long pid = 0;
    alone_ = RestoreTemporaries::Parse(name, pid);
    // A name still waiting in the group exists as far as the user is
    // concerned, and the files before are put in place before any question.
    if (pendingCount_ > 0 && (folder != pendingFolder_ || IsPending(path_) || alone_) && Finish() != 0) {
        fault = RecordFault::Disk;
        return -1;
    }
    struct stat status {};
    int mode = -1;
    if (::lstat(path_.c_str(), &status) == 0) {
        if (S_ISREG(status.st_mode)) mode = static_cast<int>(status.st_mode & 0777);
        // A file this job restored was not there before it: a later record
        // of the same name, a newer copy, replaces it.
        RestorePolicy::Existing existing = policy_.existing;
        if (existing == RestorePolicy::Existing::Skip && RestoredByThisJob(status.st_dev, status.st_ino))
            existing = RestorePolicy::Existing::Overwrite;
        // Skipping and asking both show a message.
        if (existing != RestorePolicy::Existing::Overwrite && Finish() != 0) {
            fault = RecordFault::Disk;
            return -1;
        }
        // A regular file is held while the question is asked, so it cannot
        // change under it; one that another process holds cannot be replaced.
        LocalFile held;
        if (S_ISREG(status.st_mode) && held.OpenForReading(path_, true, false) != 0) {
            fault = RecordFault::Disk;
            return Report(MessageId::ErrorCreatingFile, path_);
        }
        if (existing == RestorePolicy::Existing::Skip) {
            fault = RecordFault::Skipped;
            messages_.ShowMessage(MessageId::FileExistsNotRestored, {path_});
            return -1;
        }
        const int answer = existing == RestorePolicy::Existing::Overwrite
                               ? kMessageOk
                               : messages_.ShowMessage(MessageId::FileExistOverwrite, {path_});
        held.Close();
        if (answer != kMessageOk) {
            fault = RecordFault::Declined;
            return -1;
        }
    }
    if (CreateTemporary(folder, mode) != 0) {
        fault = RecordFault::Disk;
        return Report(MessageId::ErrorCreatingFile, path_);
    }
    return 0;
}

int RestoredFiles::CreateTemporary(const std::string& folder, int mode) {
    Pending& p = pending_[pendingCount_];
    bool shortName = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (shortName) {
            char name[64];
            std::snprintf(name, sizeof name, ".tapewren-%ld-%u.part", static_cast<long>(::getpid()),
                          ++temporaryCount_);
            text_.assign(name);
        } else {
            RestoreTemporaries::Name(static_cast<long>(::getpid()), ++temporaryCount_, text_);
        }
        JoinPath(folder, text_, p.temporary);
        if (p.file.CreateNew(p.temporary) == 0) {
            // A private file stays private.
            if (mode >= 0 && p.file.SetMode(static_cast<unsigned>(mode)) != 0) {
                p.file.Close();
                ::unlink(p.temporary.c_str());
                return -1;
            }
            pendingFolder_ = folder;
            return 0;
        }
        // A file system whose names are shorter than 255 bytes.
        if (errno == ENAMETOOLONG && !shortName) {
            shortName = true;
            alone_ = true;
            continue;
        }
        if (errno != EEXIST) return -1;
    }
    return -1;
}

int RestoredFiles::Write(const std::uint8_t* data, std::size_t count) {
    LocalFile& out = pending_[pendingCount_].file;
    if (count > 0 && out.Write(data, count) != 0) return Report(MessageId::ErrorWritingRestoredFile, path_);
    written_ += static_cast<std::int64_t>(count);
    // Hints only: a write-back that cannot start now is done by the sync.
    if (written_ - writtenBack_ >= kWriteBackStep) {
        out.StartWriteBack(writtenBack_, written_ - writtenBack_);
        writtenBack_ = written_;
    }
    return 0;
}

void RestoredFiles::Abandon() {
    Pending& p = pending_[pendingCount_];
    p.file.Close();
    ::unlink(p.temporary.c_str());
}

int RestoredFiles::Complete(const std::string& modificationDate, const FileFacts* facts, RecordFault& fault) {
    Pending& p = pending_[pendingCount_];
    const bool exact = facts != nullptr && facts->known;
    std::time_t fileDate = 0;
    bool set = true;
    if (policy_.keepDates && exact)
        set = p.file.SetModifiedNs(facts->modifiedNs) == 0;
    else if (policy_.keepDates && NoonOfDateText(modificationDate, fileDate))
        set = p.file.SetModified(fileDate) == 0;
    if (set && policy_.keepModes && exact) set = p.file.SetMode(facts->mode & 07777) == 0;
    if (!set) {
        Abandon();
        fault = RecordFault::Disk;
        return Report(MessageId::ErrorWritingRestoredFile, path_);
    }
    if (written_ > writtenBack_) p.file.StartWriteBack(writtenBack_, written_ - writtenBack_);
    p.path = path_;
    ++pendingCount_;
    pendingBytes_ += written_;
    if (grouping_ && !alone_ && pendingCount_ < kGroupFiles && pendingBytes_ < kGroupBytes) return 0;
    if (Finish() == 0) return 0;
    fault = RecordFault::Disk;
    return -1;
}

int RestoredFiles::CompleteDamaged(RecordFault& fault) {
    // Under its own name, beside the files before it, so that the message
    // comes after them.
    const std::size_t named = path_.size();
    path_.append(kDamagedSuffix);
    Pending& p = pending_[pendingCount_];
    p.path = path_;
    ++pendingCount_;
    pendingBytes_ += written_;
    const int finished = FinishPending(true);
    const std::string kept = path_;
    path_.resize(named);
    if (finished != 0) {
        fault = RecordFault::Disk;
        return -1;
    }
    fault = RecordFault::SumDiffers;
    messages_.ShowMessage(MessageId::RestoredDataDamaged, {path_, kept});
    return -1;
}

#include "aspi/virtual/Cartridge.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

Cartridge::OpenResult Cartridge::Open(const std::string& path, std::uint64_t capacity, std::uint64_t earlyWarning,
                                      std::unique_ptr<Cartridge>& loaded, std::size_t indexRuns) {
    loaded.reset();
    std::unique_ptr<TapeImage> image = TapeImage::ForPath(path);
    if (!image) return OpenResult::Failed;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return OpenResult::Failed;
    bool readOnly = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    int fd = readOnly ? -1 : open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && !readOnly && errno != EACCES && errno != EROFS && errno != EPERM) return OpenResult::Failed;
    if (fd < 0) {
        readOnly = true;
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return OpenResult::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        close(fd);
        return busy ? OpenResult::Locked : OpenResult::Failed;
    }
    if (fstat(fd, &info) != 0) {
        close(fd);
        return OpenResult::Failed;
    }
    loaded.reset(new Cartridge(path, fd, readOnly, std::move(image), static_cast<std::uint64_t>(info.st_size),
                               capacity, earlyWarning, indexRuns));
    return OpenResult::Loaded;
}

Cartridge::Cartridge(const std::string& path, int fd, bool readOnly, std::unique_ptr<TapeImage> image,
                     std::uint64_t fileSize, std::uint64_t capacity, std::uint64_t earlyWarning, std::size_t indexRuns)
    : path_(path),
      fd_(fd),
      readOnly_(readOnly),
      image_(std::move(image)),
      capacity_(capacity),
      earlyWarning_(std::min(earlyWarning, capacity)),
      window_(fd, fileSize),
      index_(indexRuns) {}

Cartridge::~Cartridge() {
    Sync();
    close(fd_);  // releases the lock
}

bool Cartridge::Sync() {
    if (!dirty_) return true;
    if (fdatasync(fd_) != 0) return false;
    dirty_ = false;
    return true;
}

void Cartridge::Rewind() {
    position_ = {};
    window_.Forget();
}

bool Cartridge::Reach(std::size_t run, std::uint64_t objects) {
    if ((run > 0 ? run - 1 : 0) < index_.First()) index_.Restart();
    const ScanGoal goal{run, objects};
    while (!index_.Reached(goal)) image_->Scan(window_, index_, goal);
    return index_.Holds(run);
}

bool Cartridge::Settle(std::uint64_t wanted) {
    for (;;) {
        if (!Reach(position_.run, position_.index + wanted)) {
            position_ = index_.End();
            return false;
        }
        if (position_.index < index_.Run(position_.run).count) return true;
        position_ = {position_.run + 1, 0};
    }
}

bool Cartridge::Previous(std::size_t& run, std::uint64_t& before) {
    if (position_.index > 0) {
        run = position_.run;
        before = position_.index;
        return true;
    }
    if (position_.run == 0) return false;
    run = position_.run - 1;
    // The whole run, so that its count is final. It is gone only when the
    // image changed under the drive: the position falls back to the end.
    if (!Reach(run, UINT64_MAX)) {
        position_ = index_.End();
        return Previous(run, before);
    }
    before = index_.Run(run).count;
    return true;
}

TapeOutcome Cartridge::Read(std::uint8_t* out, std::uint64_t count, std::uint32_t blockLength) {
    if (index_.Holds(position_.run)) window_.KeepFrom(index_.OffsetOf(position_));
    std::uint64_t done = 0;
    while (done < count) {
        if (!Settle(count - done)) return {TapeEvent::EndOfData, done};
        const TapeRun& run = index_.Run(position_.run);
        switch (run.kind) {
        case RunKind::Damage:
        case RunKind::Wall:
            return {TapeEvent::Damaged, done};
        case RunKind::Filemark:
            Advance(1);
            return {TapeEvent::Filemark, done};
        case RunKind::BadData:
            return {TapeEvent::BadRecord, done, run.length};
        case RunKind::Data:
            break;
        }
        if (run.length != blockLength) {
            Advance(1);
            return {TapeEvent::WrongLength, done, run.length};
        }
        const std::uint64_t want = std::min(count - done, run.count - position_.index);
        const long long got = image_->ReadRecords(window_, run, position_.index, want, out + done * blockLength,
                                                  blockLength, index_.PreviousSegment(position_));
        if (got < 0) return {TapeEvent::ReadFailed, done};
        Advance(static_cast<std::uint64_t>(got));
        done += static_cast<std::uint64_t>(got);
        if (static_cast<std::uint64_t>(got) < want) return {TapeEvent::Damaged, done};
    }
    return {TapeEvent::Done, done};
}

TapeOutcome Cartridge::ReadVariable(std::uint8_t* out, std::uint32_t maxLength) {
    if (index_.Holds(position_.run)) window_.KeepFrom(index_.OffsetOf(position_));
    if (!Settle()) return {TapeEvent::EndOfData, 0};
    const TapeRun& run = index_.Run(position_.run);
    switch (run.kind) {
    case RunKind::Damage:
    case RunKind::Wall:
        return {TapeEvent::Damaged, 0};
    case RunKind::Filemark:
        Advance(1);
        return {TapeEvent::Filemark, 0};
    case RunKind::BadData:
        return {TapeEvent::BadRecord, 0, run.length};
    case RunKind::Data:
        break;
    }
    const long long got = image_->ReadRecords(window_, run, position_.index, 1, out,
                                              std::min(maxLength, run.length), index_.PreviousSegment(position_));
    if (got < 0) return {TapeEvent::ReadFailed, 0};
    if (got == 0) return {TapeEvent::Damaged, 0};
    Advance(1);
    return {run.length == maxLength ? TapeEvent::Done : TapeEvent::WrongLength, 1, run.length};
}

bool Cartridge::CutAtPosition() {
    const std::uint64_t offset = index_.WriteOffsetOf(position_);
    if (window_.FileSize() != offset) {
        if (ftruncate(fd_, static_cast<off_t>(offset)) != 0) return false;
        window_.SetFileSize(offset);
        dirty_ = true;
    }
    index_.TruncateAt(position_);
    position_ = index_.End();
    return true;
}

void Cartridge::RollBack(std::uint64_t offset) {
    // Nothing of a failed write may count as recorded.
    if (ftruncate(fd_, static_cast<off_t>(offset)) == 0) window_.SetFileSize(offset);
    dirty_ = true;
}

// Shared by data and filemarks: checks room for count objects of stride bytes
// at the position, cuts the tape there and lets store(offset, previous, n)
// write n of them to the image and the index. A failed store leaves the image
// as it was.
template <class Store>
TapeOutcome Cartridge::AppendObjects(std::uint64_t count, std::uint64_t stride, Store store) {
    if (readOnly_) return {TapeEvent::ReadOnly, 0};
    if (count == 0) return {TapeEvent::Done, 0};
    // Where a read or space stopped at damage, a write would destroy what
    // lies behind it. At the load point a write starts a new tape.
    if (Settle() && index_.Run(position_.run).IsDamaged() && position_ != TapePosition{})
        return {TapeEvent::AtDamage, 0};
    // Nor may a write change what damage before it reads as. Where it could,
    // a write at end of data is checked once made and taken back if it
    // did; one that would cut the tape is refused before.
    const std::uint64_t offset = index_.WriteOffsetOf(position_);
    const bool recheck = index_.WriteReachesDamage(position_);
    if (recheck && offset != window_.FileSize()) return {TapeEvent::AtDamage, 0};
    if (recheck) image_->DamageReaching(window_, index_, offset, damageNearWrite_);
    const std::uint64_t room = offset > capacity_ ? 0 : (capacity_ - offset) / stride;
    std::uint64_t writing = count;
    if (count > room) {
        if (!writeWhatFits_ || room == 0) return {TapeEvent::Overflow, 0};
        writing = room;
    }
    const std::uint32_t previous = index_.PreviousSegment(position_);
    if (!CutAtPosition()) return {TapeEvent::WriteFailed, 0};
    if (!store(offset, previous, writing)) {
        RollBack(offset);
        return {TapeEvent::WriteFailed, 0};
    }
    const std::uint64_t end = offset + writing * stride;
    window_.SetFileSize(end);
    dirty_ = true;
    if (recheck && !image_->DamageReadsAsBefore(window_, damageNearWrite_)) {
        index_.TruncateAt(position_);
        RollBack(offset);
        return {TapeEvent::AtDamage, 0};
    }
    position_ = index_.End();
    if (writing < count) return {TapeEvent::Overflow, writing};
    return {end > capacity_ - earlyWarning_ ? TapeEvent::EarlyWarning : TapeEvent::Done, count};
}

TapeOutcome Cartridge::Write(const std::uint8_t* data, std::uint64_t count, std::uint32_t length) {
    const std::uint64_t stride = image_->RecordBytes(length);
    return AppendObjects(count, stride, [&](std::uint64_t offset, std::uint32_t previous, std::uint64_t n) {
        if (!image_->WriteRecords(window_, offset, length, n, data, previous)) return false;
        index_.Append(RunKind::Data, offset, length, image_->WriteSegment(length), static_cast<std::uint32_t>(stride),
                      n);
        return true;
    });
}

TapeOutcome Cartridge::WriteFilemarks(std::uint64_t count) {
    const std::uint64_t stride = image_->FilemarkBytes();
    return AppendObjects(count, stride, [&](std::uint64_t offset, std::uint32_t previous, std::uint64_t n) {
        if (!image_->WriteFilemarks(window_, offset, n, previous)) return false;
        index_.Append(RunKind::Filemark, offset, 0, 0, static_cast<std::uint32_t>(stride), n);
        return true;
    });
}

TapeOutcome Cartridge::SpaceBlocks(std::int64_t count) {
    std::uint64_t done = 0;
    if (count >= 0) {
        const auto wanted = static_cast<std::uint64_t>(count);
        while (done < wanted) {
            if (!Settle(wanted - done)) return {TapeEvent::EndOfData, done};
            const TapeRun& run = index_.Run(position_.run);
            if (run.IsDamaged()) return {TapeEvent::Damaged, done};
            if (run.kind == RunKind::Filemark) {
                Advance(1);
                return {TapeEvent::Filemark, done};
            }
            const std::uint64_t step = std::min(wanted - done, run.count - position_.index);
            Advance(step);
            done += step;
        }
        return {TapeEvent::Done, done};
    }
    const std::uint64_t wanted = 0 - static_cast<std::uint64_t>(count);
    while (done < wanted) {
        std::size_t run = 0;
        std::uint64_t before = 0;
        if (!Previous(run, before)) return {TapeEvent::BeginningOfTape, done};
        if (index_.Run(run).kind == RunKind::Filemark) return {TapeEvent::Filemark, done};
        if (index_.Run(run).IsDamaged()) return {TapeEvent::Damaged, done};
        const std::uint64_t step = std::min(wanted - done, before);
        position_ = {run, before - step};
        done += step;
    }
    return {TapeEvent::Done, done};
}

TapeOutcome Cartridge::SpaceFilemarks(std::int64_t count) {
    std::uint64_t done = 0;
    if (count >= 0) {
        const auto wanted = static_cast<std::uint64_t>(count);
        while (done < wanted) {
            if (!Settle(wanted - done)) return {TapeEvent::EndOfData, done};
            const TapeRun& run = index_.Run(position_.run);
            // Damage holds no filemark the drive can see; beyond a wall it
            // cannot see anything.
            if (run.kind == RunKind::Wall) return {TapeEvent::Damaged, done};
            if (run.kind != RunKind::Filemark) {
                position_ = {position_.run + 1, 0};
                continue;
            }
            const std::uint64_t step = std::min(wanted - done, run.count - position_.index);
            Advance(step);
            done += step;
        }
        return {TapeEvent::Done, done};
    }
    const std::uint64_t wanted = 0 - static_cast<std::uint64_t>(count);
    while (done < wanted) {
        std::size_t run = 0;
        std::uint64_t before = 0;
        if (!Previous(run, before)) return {TapeEvent::BeginningOfTape, done};
        if (index_.Run(run).kind != RunKind::Filemark) {
            position_ = {run, 0};
            continue;
        }
        const std::uint64_t step = std::min(wanted - done, before);
        position_ = {run, before - step};
        done += step;
    }
    return {TapeEvent::Done, done};
}

TapeOutcome Cartridge::SpaceToEnd() {
    while (!index_.Complete()) image_->Scan(window_, index_, {index_.RunCount(), UINT64_MAX});
    if (index_.EndsInWall()) {
        position_ = {index_.RunCount() - 1, 0};
        return {TapeEvent::Damaged, 0};
    }
    position_ = index_.End();
    return {TapeEvent::Done, 0};
}

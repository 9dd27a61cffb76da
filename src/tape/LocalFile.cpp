#include "tape/LocalFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Loops until every byte is written: put(from, bytes, done) writes once and
// returns what write(2) returns. A write that stores nothing is a full disk.
template <class Put>
int WriteFully(const void* buffer, std::size_t count, Put put) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = put(in + done, count - done, done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) {
            errno = ENOSPC;
            return -1;
        }
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

LocalFile::~LocalFile() { Close(); }

int LocalFile::OpenChecked(const std::string& path, int flags, bool exclusive, bool regularOnly) {
    Close();
    // O_NONBLOCK so that a FIFO cannot hang the open; cleared again below.
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return -1;
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (S_ISDIR(st.st_mode) || (regularOnly && !S_ISREG(st.st_mode))) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        error = errno;
    } else if (exclusive && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    fd_ = fd;
    identified_ = false;
    return 0;
}

int LocalFile::OpenForReading(const std::string& path, bool exclusive, bool followLinks) {
    return OpenChecked(path, followLinks ? O_RDONLY : O_RDONLY | O_NOFOLLOW, exclusive, true);
}

int LocalFile::CreateForWriting(const std::string& path, bool exclusive) {
    // Not O_TRUNC: the content may be dropped only once the lock is ours.
    if (OpenChecked(path, O_WRONLY | O_CREAT, exclusive, false) != 0) return -1;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || (S_ISREG(st.st_mode) && ::ftruncate(fd_, 0) != 0)) {
        const int error = errno;
        Close();
        errno = error;
        return -1;
    }
    return 0;
}

int LocalFile::CreateNew(const std::string& path) {
    return OpenChecked(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, false, true);
}

int LocalFile::OpenForUpdate(const std::string& path) {
    return OpenChecked(path, O_RDWR | O_NOFOLLOW, false, true);
}

int LocalFile::Status(std::int64_t& size, std::time_t& modified) const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    size = st.st_size;
    modified = st.st_mtime;
    return 0;
}

int LocalFile::ExactStatus(std::int64_t& size, std::int64_t& modifiedNs, std::uint32_t& mode) const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    size = st.st_size;
    modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    mode = static_cast<std::uint32_t>(st.st_mode & 07777);
    return 0;
}

int LocalFile::SetModifiedNs(std::int64_t whenNs) {
    if (fd_ < 0) return -1;
    std::int64_t seconds = whenNs / 1000000000;
    std::int64_t nanos = whenNs % 1000000000;
    if (nanos < 0) {
        nanos += 1000000000;
        --seconds;
    }
    const struct timespec times[2] = {{static_cast<std::time_t>(seconds), static_cast<long>(nanos)},
                                      {static_cast<std::time_t>(seconds), static_cast<long>(nanos)}};
    return ::futimens(fd_, times) == 0 ? 0 : -1;
}

bool LocalFile::IsAt(const std::string& path) {
    if (fd_ < 0) return false;
    if (!identified_) {
        struct stat open {};
        if (::fstat(fd_, &open) != 0) return false;
        device_ = open.st_dev;
        inode_ = open.st_ino;
        identified_ = true;
    }
    struct stat named {};
    return ::stat(path.c_str(), &named) == 0 && named.st_dev == device_ && named.st_ino == inode_;
}

std::int64_t LocalFile::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd_, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t LocalFile::ReadAt(void* buffer, std::size_t count, std::int64_t offset) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && done == 0) return -1;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

int LocalFile::Write(const void* buffer, std::size_t count) {
    return WriteFully(buffer, count,
                      [this](const char* from, std::size_t bytes, std::size_t) { return ::write(fd_, from, bytes); });
}

int LocalFile::WriteAt(const void* buffer, std::size_t count, std::int64_t offset) {
    return WriteFully(buffer, count, [this, offset](const char* from, std::size_t bytes, std::size_t done) {
        return ::pwrite(fd_, from, bytes, offset + static_cast<off_t>(done));
    });
}

int LocalFile::Seek(std::int64_t offset) { return ::lseek(fd_, offset, SEEK_SET) == offset ? 0 : -1; }

int LocalFile::Truncate(std::int64_t length) { return ::ftruncate(fd_, length) == 0 ? 0 : -1; }

int LocalFile::SetModified(std::time_t when) {
    const timespec times[2] = {{when, 0}, {when, 0}};
    return ::futimens(fd_, times) == 0 ? 0 : -1;
}

int LocalFile::SetMode(unsigned mode) { return ::fchmod(fd_, static_cast<mode_t>(mode)) == 0 ? 0 : -1; }

int LocalFile::Identity(std::uint64_t& device, std::uint64_t& inode) const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    device = st.st_dev;
    inode = st.st_ino;
    return 0;
}

int LocalFile::Sync() { return ::fdatasync(fd_) == 0 ? 0 : -1; }

int LocalFile::StartWriteBack(std::int64_t offset, std::int64_t count) {
    return ::sync_file_range(fd_, offset, count, SYNC_FILE_RANGE_WRITE) == 0 ? 0 : -1;
}

int LocalFile::WaitWrittenBack() {
    // Reports a failed write-back of this file since it was opened.
    const unsigned flags = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    return ::sync_file_range(fd_, 0, 0, flags) == 0 ? 0 : -1;
}

int LocalFile::AdviseSequential() { return ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL) == 0 ? 0 : -1; }

int LocalFile::SyncFileSystem() { return ::syncfs(fd_) == 0 ? 0 : -1; }

int LocalFile::Close() {
    if (fd_ < 0) return 0;
    const int fd = fd_;
    fd_ = -1;
    // Closing releases the lock; after a failed close the descriptor is gone
    // all the same, so no retry.
    return ::close(fd) == 0 ? 0 : -1;
}

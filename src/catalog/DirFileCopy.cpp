#include "catalog/DirFileCopy.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "catalog/SumFile.h"
#include "tape/JoinPath.h"

namespace {

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = ::fsync(fd);
    return (::close(fd) == 0 && result == 0) ? 0 : -1;
}

int WriteAll(int fd, const std::uint8_t* data, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, data + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) return -1;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

DirFileCopy::DirFileCopy(MessageSink& messages, std::string startDirectory, std::string floppyFolder)
    : messages_(messages),
      startDirectory_(std::move(startDirectory)),
      floppyFolder_(std::move(floppyFolder)),
      buffer_(new std::uint8_t[kBufferSize]) {}

int DirFileCopy::CopyToFloppy(const std::string& hardDrivePath) { return Copy(hardDrivePath, floppyFolder_, true); }

int DirFileCopy::CopyToHardDrive(const std::string& floppyPath) { return Copy(floppyPath, startDirectory_, false); }

int DirFileCopy::Copy(const std::string& source, const std::string& folder, bool toFloppy) {
    LocalFile in;
    if (in.OpenForReading(source, false) != 0) return kCopySourceUnreadable;
    const std::string name = FileNameOf(source);
    if (name.empty()) return kCopySourceUnreadable;
    std::string destination;
    JoinPath(folder, name, destination);

    LocalFile probe;
    if (probe.OpenForReading(destination, false) == 0) {
        probe.Close();
        const std::string shown =
            toFloppy ? name : (destination.front() == '/' ? destination.substr(1) : destination);
        if (messages_.ShowMessage(MessageId::CopyOverwrite, {shown, toFloppy ? "floppy" : "harddrive"}) != kMessageOk)
            return kCopyDeclined;
    }

    const int copied = Place(in, folder, name, destination);
    if (copied != kCopyDone) return copied;
    // The sums file goes with its catalog; a catalog copied without one
    // must not meet the records of the catalog it replaced.
    std::string sums;
    SumFile::PathOf(source, sums);
    LocalFile sumsIn;
    if (sumsIn.OpenForReading(sums, false) != 0)
        return SumFile::Remove(destination) == 0 ? kCopyDone : kCopyDestinationUnwritable;
    std::string sumsDestination;
    SumFile::PathOf(destination, sumsDestination);
    const int placed = Place(sumsIn, folder, FileNameOf(sums), sumsDestination);
    return placed == kCopySourceUnreadable ? kCopyDestinationUnwritable : placed;
}

int DirFileCopy::Place(LocalFile& in, const std::string& folder, const std::string& name,
                       const std::string& destination) {
    // Hidden, and named after this process so that two runs cannot meet.
    std::string temporary;
    JoinPath(folder, "." + name + ".tw-copy-" + std::to_string(::getpid()), temporary);
    const int written = WriteCopy(in, temporary);
    if (written != kCopyDone) return written;
    if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return kCopyDestinationUnwritable;
    }
    // The new name must survive a crash as well as the data.
    return SyncFolder(folder) == 0 ? kCopyDone : kCopyDestinationUnwritable;
}

int DirFileCopy::WriteCopy(LocalFile& source, const std::string& temporary) {
    // A leftover of a run that died under the same process number.
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return kCopyDestinationUnwritable;
    int result = kCopyDone;
    for (;;) {
        const std::int64_t n = source.Read(buffer_.get(), kBufferSize);
        if (n < 0) {
            result = kCopySourceUnreadable;
            break;
        }
        if (n == 0) break;
        if (WriteAll(fd, buffer_.get(), static_cast<std::size_t>(n)) != 0) {
            result = kCopyDestinationUnwritable;
            break;
        }
    }
    if (result == kCopyDone && ::fsync(fd) != 0) result = kCopyDestinationUnwritable;
    if (::close(fd) != 0 && result == kCopyDone) result = kCopyDestinationUnwritable;
    if (result != kCopyDone) ::unlink(temporary.c_str());
    return result;
}

#pragma once
// A file on hard drive, open for the length of one operation and closed on
// every return path. "Exclusive" opens take flock(LOCK_EX | LOCK_NB) on the
// file: Linux has no share modes, so another process is kept out only when it
// locks the file too (another instance of this program, or any flock user);
// a file locked elsewhere counts as one that cannot be opened. Every call
// reports failure through its result; errno says why.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

class LocalFile {
public:
    LocalFile() = default;
    ~LocalFile();
    LocalFile(const LocalFile&) = delete;
    LocalFile& operator=(const LocalFile&) = delete;

    // An existing regular file, for reading. 0 or -1. followLinks false: a
    // symbolic link under that name fails.
    int OpenForReading(const std::string& path, bool exclusive, bool followLinks = true);
    // Creates the file or empties an existing one, for writing. Opening never
    // blocks (a FIFO without a reader fails). 0 or -1.
    int CreateForWriting(const std::string& path, bool exclusive);
    // A new regular file, for writing; fails when anything exists under the
    // name, a symbolic link included. Mode 0666 less the umask. 0 or -1.
    int CreateNew(const std::string& path);
    // An existing regular file, for reading and writing, content kept; a
    // symbolic link under the name fails, so that what is changed in place
    // is the file named. 0 or -1.
    int OpenForUpdate(const std::string& path);

    bool IsOpen() const { return fd_ >= 0; }
    // Size and last modification time of the open file. 0 or -1.
    int Status(std::int64_t& size, std::time_t& modified) const;
    // Size, modification time in nanoseconds since the epoch and
    // permission bits (07777) of the open file. 0 or -1.
    int ExactStatus(std::int64_t& size, std::int64_t& modifiedNs, std::uint32_t& mode) const;
    // Whether path names the open file itself (not removed or replaced
    // since it was opened). The first call learns which file is open; a
    // later one costs one stat of the path.
    bool IsAt(const std::string& path);

    // Reads until count bytes or end of file: the bytes read, or -1.
    std::int64_t Read(void* buffer, std::size_t count);
    // Reads from offset on, leaving the file position alone: the bytes read
    // until count, end of file or a failed read; 0 at end of file; -1 when
    // nothing could be read. A read that stops short is told from the end
    // of the file by the next one.
    std::int64_t ReadAt(void* buffer, std::size_t count, std::int64_t offset);
    // Writes all count bytes. 0 or -1 (a short write is a failure).
    int Write(const void* buffer, std::size_t count);
    int WriteAt(const void* buffer, std::size_t count, std::int64_t offset);
    int Seek(std::int64_t offset);
    int Truncate(std::int64_t length);
    // Sets the last modification (and access) time of the open file. 0 or -1.
    int SetModified(std::time_t when);
    // Sets the last modification (and access) time to the nanosecond. 0 or -1.
    int SetModifiedNs(std::int64_t whenNs);
    // Sets the open file's permission bits (fchmod). 0 or -1.
    int SetMode(unsigned mode);
    // Device and inode of the open file. 0 or -1.
    int Identity(std::uint64_t& device, std::uint64_t& inode) const;
    // Puts the data on the medium (fdatasync). 0 or -1.
    int Sync();
    // Starts writing the given bytes to the device without waiting for
    // them, so that a later Sync finds little left to do. 0 or -1.
    int StartWriteBack(std::int64_t offset, std::int64_t count);
    // Waits until the data written so far has gone to the device and says
    // whether writing any of it failed; the device may still hold it in
    // its cache (SyncFileSystem empties that). 0 or -1.
    int WaitWrittenBack();
    // Tells the kernel the file will be read from start to end, so that it
    // reads further ahead (posix_fadvise). A hint; 0 or -1.
    int AdviseSequential();
    // Puts everything written to the file system this file is on on the
    // medium, other files' data included (syncfs). 0 or -1.
    int SyncFileSystem();
    // 0, or -1 when the close itself reported an error (a delayed write
    // failure); closing a closed file gives 0.
    int Close();

private:
    int OpenChecked(const std::string& path, int flags, bool exclusive, bool regularOnly);

    int fd_ = -1;
    // Device and inode of the open file, once IsAt has looked.
    bool identified_ = false;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
};

#pragma once
// The tape in the selected drive: the ident block at its start and the file
// records after it (layout in TapeFormat.h). Owns its own ScsiDevice and two
// transfer buffers, allocated once; nothing is allocated per block or per
// file. Operations return 0 on success and -1 on failure unless stated; the
// ones that meet a failure the user must know about show one Error message.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"
#include "scsi/ScsiDevice.h"
#include "tape/FileHeader.h"
#include "tape/LocalFile.h"
#include "tape/RecordFault.h"
#include "tape/RestorePolicy.h"

// Results of VerifyFile. A positive result is the offset of the first byte
// that differs; a file on hard drive shorter than its recorded size differs
// at its end. A difference at offset 0 cannot be told from "identical" by
// that rule and has its own code.
inline constexpr int kVerifyIdentical = 0;
inline constexpr int kVerifyFailed = -1;      // tape error or header mismatch (message shown)
inline constexpr int kVerifyCannotOpen = -2;  // file on hard drive cannot be opened (no message)
inline constexpr int kVerifyDiffersAtStart = -3;

// Results of MoveToAppendPoint besides 0 and -1.
inline constexpr int kAppendUnlisted = -3;
inline constexpr int kAppendUnreadable = -4;

class TapeVolume {
public:
    TapeVolume(MessageSink& messages, StatusSink& status, ByteCounters& counters, const DriveAddress& drive);
    virtual ~TapeVolume();
    TapeVolume(const TapeVolume&) = delete;
    TapeVolume& operator=(const TapeVolume&) = delete;

    // Rewinds and reads the first block. 0 with the three texts set, -2 when
    // the block carries no ident block, -1 when rewind or read failed (also
    // when the drive's block length is outside 1..2048). No message.
    // Leaves the tape after the ident block, before its filemark.
    int ReadIdentBlock(std::string& name, std::string& date, std::string& version);
    // Formats the tape: ident block and filemark at its start. The bytes of
    // the block after its fields are zero.
    int WriteIdentBlock(const std::string& name);
    // The date of formatting the last WriteIdentBlock wrote, for the new
    // tape's catalog: the clock is not read twice.
    const std::string& LastIdentDate() const { return identDate_; }

    // Writes one file record at the current position: header, data blocks,
    // filemark. The file is folder + "/" + name; the header block's bytes
    // after its fields are zero. On 0 the record is complete
    // on the medium (the filemark is written without the immediate bit).
    // Refuses, before the tape is touched: a name that does not fit the
    // catalog's 254 bytes, is not a plain name or is kReservedFileName, a
    // file of 2 GiB or more, a file that cannot be opened, a blockLength
    // that is not the drive's.
    int BackupFile(const std::string& name, const std::string& folder, int blockLength);
    // The header of the last record BackupFile completed.
    const FileHeader& LastWrittenHeader() const { return lastWritten_; }
    // Whether the last BackupFile failed because the cartridge is full.
    bool LastBackupMetEndOfTape() const { return endOfTape_; }

    // Reads one block and decodes it as a file header: 0 for type 1, 2 for
    // type 2, -1 when the read fails or the type is anything else. Outputs
    // are set for every type but 0. No message.
    int ReadFileHeader(std::string& name, std::string& modificationDate, std::string& backupDate,
                       std::int32_t& size, std::int32_t& blockCount);
    // Restores the record at the current position into destinationFolder +
    // "/" + the name from its header, which must carry the expected values.
    // The record is whole only when its filemark follows its last block: on
    // 0 the tape stands after that filemark. The data goes to a new
    // temporary file in that folder (RestoreTemporaries), put on the medium
    // and then renamed over the name: a link under the name is replaced,
    // never followed, a replaced file's permission bits are kept, and a
    // failed restore leaves no half-written file. Anything under the name, a
    // link included, is asked about first.
    int RestoreFile(const std::string& expectedName, const std::string& expectedModificationDate,
                    std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                    const std::string& destinationFolder);
    // As RestoreFile for whatever record comes next (the full restore), with
    // the file's own progress. Faults of the tape show no message:
    // LastFault() says what was wrong. Messages about the file on hard
    // drive are shown as in RestoreFile.
    int RestoreNextFile(int blockLength, const std::string& destinationFolder);
    // For the restores that follow: a file under a record's name is asked
    // about, skipped (an Info message, RecordFault::Skipped) or replaced; a
    // restored file keeps the time of the restore or gets its record's date.
    // Skipping looks at the files that were there before the job: one that
    // the same job restored is replaced by a later record of its name.
    void SetRestorePolicy(const RestorePolicy& policy) { policy_ = policy; }
    // Whether the last RestoreFile failed because its file could not be
    // created or written whole (a full disk), as opposed to the tape or the
    // user's answer.
    bool LastRestoreDiskFailed() const { return fault_ == RecordFault::Disk; }

    // Removes the temporary files that restores killed before they could
    // finish left in folder: the number removed, or -1 when the folder
    // cannot be read.
    int RemoveStaleTemporaries(const std::string& folder);

    // A restore job's files, restored one after another, are put on the
    // medium and renamed into place in groups (BeginRestoreGroup also starts
    // the job's list of files it restored, for skipping): one sync of the file system
    // serves a group, where each file on its own costs a sync of the file
    // and one of its folder. Between BeginRestoreGroup and EndRestoreGroup,
    // a RestoreFile or RestoreNextFile that returns 0 has written its data
    // to its temporary file (already on its way to the device); the file is
    // in place, on the medium, when FinishRestores or EndRestoreGroup has
    // returned 0, if not before. A group is finished when it is full, before any
    // message the volume shows (a question about a file under the name, and
    // any name still in the group, included), and by FinishRestores, which a
    // job calls before its own messages. Outside a group every restore is
    // finished before it returns. A failure to finish shows "Error writing
    // file: " or "Error creating file: " with the file's path, leaves that
    // file's temporary removed and the group's other files in place, and
    // makes the call return -1 with LastFault() Disk.
    void BeginRestoreGroup();
    int FinishRestores();
    int EndRestoreGroup();
    // Whether restored files wait to be put in place.
    bool RestoresWaiting() const { return pendingCount_ > 0; }
    // Compares the record at the current position with folder + "/" + name.
    // Results: see kVerify* above; a file on hard drive longer than the
    // record differs at the record's size. A record whose filemark does not
    // follow its last block is damaged (kVerifyFailed); after a whole record
    // found identical the tape stands after its filemark.
    int VerifyFile(const std::string& expectedName, const std::string& expectedModificationDate,
                   std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                   const std::string& folder);
    // Reads the header block at the current position and checks it as a
    // catalog entry needs it: a file record header that agrees with itself
    // and names a plain file that fits an entry. 0 with LastHeader() set;
    // -1 with LastFault() saying what was wrong (and PastFilemark() when a
    // filemark stood there). No message.
    int ReadListedHeader();
    const FileHeader& LastHeader() const { return header_; }

    // What stopped the last RestoreFile, RestoreNextFile, VerifyFile or
    // ReadRecord, and whether the tape already stands after that record's
    // filemark (so that the next record needs no spacing).
    RecordFault LastFault() const { return fault_; }
    bool PastFilemark() const { return pastFilemark_; }

    // Spaces to end of data, where the next record is appended.
    int MoveToEOD();
    // Rewinds and spaces over the ident block's filemark and those of the
    // catalog's recordCount records: where the next record belongs, and
    // looks at what follows, so that no write lands before a record that
    // could still be read. 0 when nothing follows but end of data, empty
    // tape files (filemarks only) or one last record without its filemark
    // (what a failed or interrupted backup leaves): the next write cuts
    // them off. -1 when the tape cannot be positioned there (message
    // shown). kAppendUnlisted when records with a filemark follow that the
    // catalog does not list (UnlistedRecords() of them), kAppendUnreadable
    // when what follows can be neither read nor spaced over to the end of
    // data; neither shows a message and nothing may be written then.
    int MoveToAppendPoint(int recordCount);
    int UnlistedRecords() const { return unlisted_; }

private:
    // The catalog entry a selective restore or a verify expects.
    struct Expected {
        const std::string& name;
        const std::string& modificationDate;
        std::int32_t size;
        std::int32_t blockCount;
    };

    // Mode sense; the drive's block length must lie within 1..2048 and, when
    // expected > 0, equal it (every transfer is sized by the drive's own).
    int DriveBlockLength();
    int CheckBlockLength(int expected, std::size_t minimum);
    // Into buffer 1, or where `into` points within it.
    int ReadBlocks(int count, std::uint8_t* into = nullptr);
    // ReadFileHeader once the block length has been checked; a failure sets
    // fault_ (and pastFilemark_ for a filemark where the header was due).
    int ReadHeaderBlock(std::string& name, std::string& modificationDate, std::string& backupDate,
                        std::int32_t& size, std::int32_t& blockCount);
    // Reads one or more data blocks of the current record; a failure sets
    // fault_ from what the drive said.
    int ReadDataBlocks(int count, std::uint8_t* into = nullptr);
    // Reads the block after a record's last one, which must be its
    // filemark; a failure sets fault_. 0 past the filemark.
    int ReadFilemark();
    // ShowError for a damaged record in a restore or verify by name.
    int ShowDamage();
    int ShowError(const std::string& text);
    // Reads the header and checks it: against expected (unless null), for a
    // name that may be used in a path and for size and block count agreeing
    // at blockLength. Messages only when report.
    int ReadCheckedHeader(const Expected* expected, int blockLength, bool report);
    int Restore(const Expected* expected, int blockLength, const std::string& destinationFolder);
    // Asks about anything under path_ and creates the temporary file beside
    // it as the next pending restore, with the permission bits of the file
    // it replaces; 0, or -1 with fault_ set.
    int OpenRestoreTarget(const std::string& destinationFolder);
    // Puts the pending files on the medium and in place of their names;
    // report: show what failed (not from the destructor).
    int FinishPending(bool report);
    bool IsPending(const std::string& path) const;
    // Whether the file lstat found is one this job has restored.
    bool RestoredByThisJob(std::uint64_t device, std::uint64_t inode) const;
    // "<action> '<name>'..." for the header just read, and its progress from 0.
    void ShowFileStart(const char* action);
    void BeginRecord();

    MessageSink& messages_;
    StatusSink& status_;
    ByteCounters& counters_;
    const DriveAddress& drive_;
    ScsiDevice device_;
    LocalFile file_;
    // Page-aligned, so that the kernel copies into and out of them at full
    // speed.
    struct FreeBuffer {
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t[], FreeBuffer> buffer1_;
    std::unique_ptr<std::uint8_t[], FreeBuffer> buffer2_;
    // Scratch kept across calls so that the per-file path needs no allocation.
    FileHeader header_;
    FileHeader lastWritten_;
    std::string path_;
    std::string text_;
    std::string identDate_;
    unsigned temporaryCount_ = 0;
    // Restored files waiting to be put on the medium and in place: the open
    // temporary file, its path and the name it gets.
    struct PendingRestore {
        LocalFile file;
        std::string temporary;
        std::string path;
    };
    // The files this job put in place, by device and inode.
    struct FileId {
        std::uint64_t device;
        std::uint64_t inode;
    };
    static constexpr std::size_t kRestoredReserve = 1024;
    std::vector<FileId> restored_;
    static constexpr int kRestoreGroupFiles = 32;
    static constexpr std::int64_t kRestoreGroupBytes = 64 << 20;
    std::unique_ptr<PendingRestore[]> pending_;
    int pendingCount_ = 0;
    std::int64_t pendingBytes_ = 0;
    std::string pendingFolder_;
    bool grouping_ = false;
    bool finishing_ = false;
    RestorePolicy policy_;
    RecordFault fault_ = RecordFault::None;
    bool pastFilemark_ = false;
    bool endOfTape_ = false;
    int unlisted_ = 0;
};

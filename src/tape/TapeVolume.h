#pragma once
// The tape in the selected drive: the ident block at its start and the file
// records after it (layouts and their codecs in TapeFormat.h, IdentBlock.h
// and FileHeader.h). Owns its own ScsiDevice and two transfer buffers,
// allocated once; nothing is allocated per block or per file. Restored files
// are written through RestoredFiles. Operations return 0 on success and -1
// on failure unless stated; the ones that meet a failure the user must know
// about show one Error message.

#include <cstdint>
#include <memory>
#include <string>

#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"
#include "scsi/ScsiDevice.h"
#include "scsi/TapeStop.h"
#include "tape/DataSum.h"
#include "tape/FileFacts.h"
#include "tape/FileHeader.h"
#include "tape/LocalFile.h"
#include "tape/RecordFault.h"
#include "tape/RestoredFiles.h"

// Results of VerifyFile. A positive result is the offset of the first byte
// that differs; a file on hard drive shorter than its recorded size differs
// at its end. A difference at offset 0 cannot be told from "identical" by
// that rule and has its own code.
namespace VerifyResult {
inline constexpr int Identical = 0;
inline constexpr int Failed = -1;      // tape error or header mismatch (message shown)
inline constexpr int CannotOpen = -2;  // file on hard drive cannot be opened (no message)
inline constexpr int DiffersAtStart = -3;
// The record was read whole but its data does not match the checksum the
// catalog keeps: the tape is damaged, whatever the file on hard drive holds.
inline constexpr int TapeDamaged = -4;
}  // namespace VerifyResult

// Results of MoveToAppendPoint besides 0 and -1.
namespace AppendResult {
inline constexpr int Unlisted = -3;
inline constexpr int Unreadable = -4;
}  // namespace AppendResult

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
    // after its fields are zero. On 0 the record is complete on the medium
    // (the filemark is written without the immediate bit), or, streaming,
    // handed to the drive (the filemark is immediate: Flush puts it on the
    // medium). Refuses, before the tape is touched: a name that does not
    // fit the catalog's 254 bytes, is not a plain name or is
    // kReservedFileName, a file of 2 GiB or more, a file that cannot be
    // opened, a blockLength that is not the drive's. A write that reached
    // the early warning completes the record: NearlyFull() says so.
    int BackupFile(const std::string& name, const std::string& folder, int blockLength);
    // The header of the last record BackupFile completed.
    const FileHeader& LastWrittenHeader() const { return lastWritten_; }
    // What BackupFile learnt of that file: exact time, mode and size when it
    // was opened, and the checksum of the data it wrote.
    const FileFacts& LastWrittenFacts() const { return lastFacts_; }
    // The checksum BackupFile takes (XXH3-128 unless set); every record
    // read is summed the same way as it streams past.
    void SetSumKind(SumKind kind) { sum_.SetKind(kind); }

    // The facts the catalog keeps for the record that the next
    // RestoreFile, RestoreNextFile or VerifyFile reads (null: none); that
    // call uses them once. A restore whose data does not match their
    // checksum puts the file under its name + ".tapewren-damaged" and fails
    // with fault SumDiffers; VerifyFile returns VerifyResult::TapeDamaged.
    // name: for RestoreNextFile, the facts are used only for a record of
    // this name and their size.
    void ExpectFacts(const FileFacts* facts, const std::string* name = nullptr) {
        expected_ = facts;
        expectedName_ = name;
    }
    // The checksum, of the kind of the facts expected, of the last record
    // whose data was read whole (None when there were no such facts).
    const Digest& LastReadDigest() const { return readDigest_; }
    // What the drive reported for the last tape command, when it failed.
    const CommandFailure& LastCommandFailure() const { return device_.LastFailure(); }
    // Why the last BackupFile or Flush failed on the tape. EndOfTape and
    // Interrupted show no message: the job says what they cost.
    enum class WriteStop {
        None,
        Failed,       // anything else (its message shown)
        EndOfTape,    // volume overflow: the record did not fit
        Interrupted,  // a unit attention: the drive was reset or its tape changed
    };
    WriteStop LastWriteStop() const { return writeStop_; }
    // Data of earlier records that were still in the drive's buffer were
    // lost as well: the last write's residue went beyond that command, it
    // answered with a deferred error, or the last Flush failed.
    bool LostBufferedRecords() const { return lostBuffered_; }
    // A write reached the early warning since the warnings were last taken:
    // little room is left after the record it belonged to.
    bool NearlyFull() const { return device_.Warnings().earlyWarning; }
    // The warnings of this volume's commands since they were last taken.
    DriveWarnings TakeWarnings() { return device_.TakeWarnings(); }

    // Streaming: transfers of as many blocks as a buffer holds, immediate
    // filemarks, the block length asked for only when it may have changed.
    // The blocks on tape are the same either way.
    void SetStreaming(bool on);
    bool Streaming() const { return streaming_; }
    // The block length is asked for again before the next transfer.
    void ForgetMode() { device_.ForgetMode(); }
    // Puts everything written so far on the medium (WRITE FILEMARKS of 0
    // marks, not immediate). 0, or -1 with LastWriteStop() set.
    int Flush();

    // Reads one block and decodes it as a file header: 0 for type 1, 2 for
    // type 2, -1 when the read fails or the type is anything else. Outputs
    // are set for every type but 0. No message.
    int ReadFileHeader(std::string& name, std::string& modificationDate, std::string& backupDate,
                       std::int32_t& size, std::int32_t& blockCount);
    // Restores the record at the current position into destinationFolder +
    // "/" + the name from its header, which must carry the expected values,
    // through Files(). The record is whole only when its filemark follows
    // its last block: on 0 the tape stands after that filemark.
    int RestoreFile(const std::string& expectedName, const std::string& expectedModificationDate,
                    std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                    const std::string& destinationFolder);
    // As RestoreFile for whatever record comes next (the full restore), with
    // the file's own progress. Faults of the tape show no message:
    // LastFault() says what was wrong. Messages about the file on hard
    // drive are shown as in RestoreFile.
    int RestoreNextFile(int blockLength, const std::string& destinationFolder);
    // Reads whatever record comes next whole, writing nothing: the header
    // checked as RestoreNextFile checks it, the data summed as the facts
    // expected ask, the filemark after it. 0; -1 with LastFault() saying
    // what was wrong (SumDiffers: read whole, but the data does not match
    // the checksum). No message; the file's progress is shown.
    int CheckNextFile(int blockLength);
    // The files the restores write: their policy, groups and leftovers.
    RestoredFiles& Files() { return files_; }
    // Compares the record at the current position with folder + "/" + name.
    // Results: see VerifyResult above; a file on hard drive longer than the
    // record differs at the record's size. A record whose filemark does not
    // follow its last block is damaged (VerifyResult::Failed); after a whole record
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
    // ReadListedHeader, and whether the tape stands after that record's
    // filemark (so that the next record needs no spacing).
    RecordFault LastFault() const { return fault_; }
    bool PastFilemark() const { return pastFilemark_; }
    // What is wrong with that record, as the end of a sentence: the fault's
    // reason, and for an unfinished record how many of its data blocks the
    // tape holds.
    std::string DamageReason() const;
    // Of an unfinished record: the data blocks before the end of data, as
    // far as the drive's residue tells; -1 when not known.
    std::int32_t BlocksFound() const { return blocksFound_; }

    // Spaces to end of data, where the next record is appended.
    int MoveToEOD();
    // Rewinds and spaces over the ident block's filemark and those of the
    // catalog's recordCount records: where the next record belongs, and
    // looks at what follows, so that no write lands before a record that
    // could still be read. 0 when nothing follows but end of data, empty
    // tape files (filemarks only) or one last record without its filemark
    // (what a failed or interrupted backup leaves): the next write cuts
    // them off. -1 when the tape cannot be positioned there (message
    // shown). AppendResult::Unlisted when records with a filemark follow that the
    // catalog does not list (UnlistedRecords() of them), AppendResult::Unreadable
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

    int ShowError(MessageId id, std::initializer_list<std::string_view> args = {});
    // Blocks per transfer when streaming, 0 when not.
    int StreamBlocks(int blockLength) const;
    WriteStop WriteStopFor(TapeStop stop) const;
    // The last command failed with a deferred error (response code 71h).
    bool DeferredError() const;
    // The fault of a read that stopped: Interrupted after an attention,
    // OtherBlockSize for a block of another length, else otherwise.
    RecordFault StopFault(TapeStop stop, RecordFault otherwise) const;
    // Whether the drive met an attention since the record began: fault_
    // Interrupted then.
    bool PositionLost();
    // The same for a failed tape command, with what the drive reported.
    int ShowTapeError(MessageId id, std::initializer_list<std::string_view> args = {});
    void SetTapeError(MessageId id, std::initializer_list<std::string_view> args = {});
    // Shows error_, the message a failure left.
    int ShowError();
    void SetError(MessageId id, std::initializer_list<std::string_view> args = {});
    // Mode sense; the drive's block length must lie within 1..2048 and, when
    // expected > 0, equal it (every transfer is sized by the drive's own).
    int DriveBlockLength();
    int CheckBlockLength(int expected, std::size_t minimum);
    // Into buffer 1, or where `into` points within it.
    int ReadBlocks(int count, std::uint8_t* into = nullptr);
    // Reads the header block; a failure sets fault_ (and pastFilemark_ for
    // a filemark where the header was due).
    int ReadHeaderBlock(FileHeader& header);
    // Reads one or more data blocks of the current record; a failure sets
    // fault_ from what the drive said.
    int ReadDataBlocks(int count, std::uint8_t* into = nullptr);
    // Reads the block after a record's last one, which must be its
    // filemark; a failure sets fault_. 0 past the filemark.
    int ReadFilemark();
    // Reads the header and checks it: against expected (unless null), for a
    // name that may be used in a path and for size and block count agreeing
    // at blockLength. -1 with fault_ set and the message in error_.
    int ReadCheckedHeader(const Expected* expected, int blockLength);
    // error_ for a damaged record read by name.
    void DamageText();
    int Restore(const Expected* expected, int blockLength, const std::string& destinationFolder);
    // The record's data blocks into the file Files() has open.
    int RestoreData(bool full, int blockLength);
    // Starts summing a record's data as the facts expected ask (none: no
    // summing); EndReadSum says whether the data matched.
    void BeginReadSum();
    bool EndReadSum();
    // "<action> '<name>'..." for the header just read, and its progress from 0.
    void ShowFileStart(const char* action);
    void BeginRecord();

    MessageSink& messages_;
    StatusSink& status_;
    ByteCounters& counters_;
    const DriveAddress& drive_;
    ScsiDevice device_;
    LocalFile file_;
    RestoredFiles files_;
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
    FileFacts lastFacts_;
    DataSum sum_;
    DataSum readSum_;
    const FileFacts* expected_ = nullptr;
    const std::string* expectedName_ = nullptr;
    const FileFacts* reading_ = nullptr;  // the expected facts of the record being read
    const std::string* readingName_ = nullptr;
    Digest readDigest_;
    std::string path_;
    std::string text_;
    Message error_;
    std::string identDate_;
    RecordFault fault_ = RecordFault::None;
    bool pastFilemark_ = false;
    WriteStop writeStop_ = WriteStop::None;
    bool lostBuffered_ = false;
    bool streaming_ = false;
    // The device's attentions when the record began: more since mean the
    // tape's position was lost.
    unsigned long attentionsAtStart_ = 0;
    // Data blocks of the current record read so far, and those the tape
    // holds of an unfinished one (-1: not known).
    std::int32_t blocksRead_ = 0;
    std::int32_t blocksFound_ = -1;
    int unlisted_ = 0;
};

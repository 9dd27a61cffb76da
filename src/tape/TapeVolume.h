#pragma once
// The tape in the selected drive: the ident block at its start and the file
// records after it (layout in TapeFormat.h). Owns its own ScsiDevice and two
// transfer buffers, allocated once; nothing is allocated per block or per
// file. Operations return 0 on success and -1 on failure unless stated; the
// ones that meet a failure the user must know about show one Error message.

#include <cstdint>
#include <memory>
#include <string>

#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"
#include "scsi/ScsiDevice.h"
#include "tape/FileHeader.h"
#include "tape/LocalFile.h"

// Results of VerifyFile. A positive result is the offset of the first byte
// that differs; a file on hard drive shorter than its recorded size differs
// at its end. A difference at offset 0 cannot be told from "identical" by
// that rule and has its own code.
inline constexpr int kVerifyIdentical = 0;
inline constexpr int kVerifyFailed = -1;      // tape error or header mismatch (message shown)
inline constexpr int kVerifyCannotOpen = -2;  // file on hard drive cannot be opened (no message)
inline constexpr int kVerifyDiffersAtStart = -3;

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
    // Formats the tape: ident block and filemark at its start.
    int WriteIdentBlock(const std::string& name);

    // Writes one file record at the current position: header, data blocks,
    // filemark. The file is folder + "/" + name. On 0 the record is complete
    // on the medium (the filemark is written without the immediate bit).
    // Refuses, before the tape is touched: a name that does not fit the
    // catalog's 254 bytes or is not a plain name, a file of 2 GiB or more, a
    // file that cannot be opened, a blockLength that is not the drive's.
    int BackupFile(const std::string& name, const std::string& folder, int blockLength);
    // The header of the last record BackupFile completed.
    const FileHeader& LastWrittenHeader() const { return lastWritten_; }

    // Reads one block and decodes it as a file header: 0 for type 1, 2 for
    // type 2, -1 when the read fails or the type is anything else. Outputs
    // are set for every type but 0. No message.
    int ReadFileHeader(std::string& name, std::string& modificationDate, std::string& backupDate,
                       std::int32_t& size, std::int32_t& blockCount);
    // Restores the record at the current position into destinationFolder +
    // "/" + the name from its header. expectedName kFullRestoreMarker
    // restores whatever record comes next. Stops before the record's
    // filemark.
    int RestoreFile(const std::string& expectedName, const std::string& expectedModificationDate,
                    std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                    const std::string& destinationFolder);
    // Whether the last RestoreFile failed because its file could not be
    // created or written whole (a full disk), as opposed to the tape or the
    // user's answer.
    bool LastRestoreDiskFailed() const { return restoreDiskFailed_; }
    // Compares the record at the current position with folder + "/" + name.
    // Results: see kVerify* above.
    int VerifyFile(const std::string& expectedName, const std::string& expectedModificationDate,
                   std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                   const std::string& folder);
    // Spaces to end of data, where the next record is appended.
    int MoveToEOD();
    // Rewinds and spaces over the ident block's filemark and those of the
    // catalog's recordCount records: where the next record belongs. Unlike
    // end of data, this skips a record that a failed or interrupted backup
    // left without its filemark (the next write truncates the tape there),
    // so that entry k keeps describing the record after the k-th filemark.
    int MoveToAppendPoint(int recordCount);

private:
    // Mode sense; the drive's block length must lie within 1..2048 and, when
    // expected > 0, equal it (every transfer is sized by the drive's own).
    int DriveBlockLength();
    int CheckBlockLength(int expected, std::size_t minimum);
    int ReadBlocks(int count);
    // ReadFileHeader once the block length has been checked.
    int ReadHeaderBlock(std::string& name, std::string& modificationDate, std::string& backupDate,
                        std::int32_t& size, std::int32_t& blockCount);
    int ShowError(const std::string& text);
    // Reads the header and checks it against the expected values (unless in
    // full-restore mode) and for a name that may be used in a path.
    int ReadExpectedHeader(const std::string& expectedName, const std::string& expectedModificationDate,
                           std::int32_t expectedSize, std::int32_t expectedBlockCount, bool fullRestore);
    // "<action> '<name>'..." for the header just read, and its progress from 0.
    void ShowFileStart(const char* action);

    MessageSink& messages_;
    StatusSink& status_;
    ByteCounters& counters_;
    const DriveAddress& drive_;
    ScsiDevice device_;
    LocalFile file_;
    std::unique_ptr<std::uint8_t[]> buffer1_;
    std::unique_ptr<std::uint8_t[]> buffer2_;
    // Scratch kept across calls so that the per-file path needs no allocation.
    FileHeader header_;
    FileHeader lastWritten_;
    std::string path_;
    std::string text_;
    bool restoreDiskFailed_ = false;
};

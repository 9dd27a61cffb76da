#include "tape/TapeVolume.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "scsi/TapeStop.h"
#include "tape/DateText.h"
#include "tape/IdentBlock.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/ProgramVersion.h"
#include "tape/TapeFormat.h"
#include "tape/TransferPlan.h"

namespace TF = TapeFormat;

namespace {

constexpr std::size_t kPathReserve = 4096;

// The transfer's size as the read and write errors name it: 64, 10, 1 or,
// streaming, its own count.
std::string TransferText(int blocks) { return std::to_string(blocks); }

// Reads a record's data blocks in the plan's order (streaming: in transfers
// of streamBlocks, 0 when not streaming), stopping at the first transfer
// that does not return 0, and returns that value.
template <class Transfer>
int ReadAllBlocks(const TransferPlan& plan, int streamBlocks, std::int32_t blockCount, Transfer&& transfer) {
    int result = 0;
    if (streamBlocks > 0) {
        for (std::int32_t left = blockCount; result == 0 && left > 0;) {
            const int blocks = std::min<std::int32_t>(left, streamBlocks);
            result = transfer(blocks);
            left -= blocks;
        }
        return result;
    }
    for (int i = 0; result == 0 && i < plan.count64; ++i) result = transfer(TF::kBigTransfer);
    for (int i = 0; result == 0 && i < plan.count10; ++i) result = transfer(TF::kMidTransfer);
    for (int i = 0; result == 0 && i < plan.count1; ++i) result = transfer(1);
    return result;
}

constexpr std::size_t kPage = 4096;

// A transfer buffer whose first byte starts a page. The size is rounded up
// to whole pages, as aligned_alloc asks.
std::uint8_t* NewTransferBuffer() {
    void* p = std::aligned_alloc(kPage, (TF::kBufferSize + kPage - 1) / kPage * kPage);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<std::uint8_t*>(p);
}

// Tells the kernel that a file of several transfers is read from start to
// end, so that its read-ahead runs further in front of the tape. A hint:
// nothing depends on it.
void ReadsAhead(LocalFile& file) { file.AdviseSequential(); }

// The file on hard drive as verify reads it: in chunks of as many 64-block
// transfers as buffer 2 holds, one read call for many transfers and none
// for each single block at the end of a record. Take hands out the next
// bytes in the file's order.
class DiskChunks {
public:
    DiskChunks(LocalFile& file, std::uint8_t* buffer, std::size_t bigTransfer)
        : file_(file), buffer_(buffer), chunk_(TF::kBufferSize / bigTransfer * bigTransfer) {}

    // Up to want bytes (fewer only at the file's end) at data; -1 when the
    // file cannot be read there.
    std::int64_t Take(std::size_t want, const std::uint8_t*& data) {
        while (held_ - used_ < want && !atEnd_) {
            // What is left moves to the front; 64-block transfers never
            // leave anything, the others less than one.
            std::memmove(buffer_, buffer_ + used_, held_ - used_);
            held_ -= used_;
            used_ = 0;
            const std::int64_t got = file_.ReadAt(buffer_ + held_, chunk_ - held_, offset_);
            if (got < 0) return -1;
            atEnd_ = got == 0;
            held_ += static_cast<std::size_t>(got);
            offset_ += got;
        }
        const std::size_t count = std::min(want, held_ - used_);
        data = buffer_ + used_;
        used_ += count;
        return static_cast<std::int64_t>(count);
    }
    // Whether anything follows what was taken: 1, 0, or -1 when that
    // cannot be read.
    std::int64_t More() {
        if (held_ > used_) return 1;
        if (atEnd_) return 0;
        return file_.ReadAt(buffer_, 1, offset_);
    }

private:
    LocalFile& file_;
    std::uint8_t* buffer_;
    std::size_t chunk_;
    std::size_t held_ = 0;  // bytes of the file in the buffer
    std::size_t used_ = 0;  // of them, handed out
    std::int64_t offset_ = 0;
    bool atEnd_ = false;
};

std::int64_t FirstDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
    if (std::memcmp(a, b, count) == 0) return -1;
    return std::mismatch(a, a + count, b).first - a;
}

}  // namespace

TapeVolume::TapeVolume(MessageSink& messages, StatusSink& status, ByteCounters& counters,
                       const DriveAddress& drive)
    : messages_(messages),
      status_(status),
      counters_(counters),
      drive_(drive),
      files_(messages),
      buffer1_(NewTransferBuffer()),
      buffer2_(NewTransferBuffer()) {
    std::memset(buffer1_.get(), 0, TF::kClearedPrefix);
    for (FileHeader* h : {&header_, &lastWritten_}) {
        h->name.reserve(TF::kFileNameWidth);
        h->modificationDate.reserve(TF::kDateWidth);
        h->backupDate.reserve(TF::kDateWidth);
    }
    sum_.SetKind(SumKind::Xxh3_128);
    path_.reserve(kPathReserve);
    text_.reserve(kPathReserve);
    error_.text.reserve(kPathReserve);
    identDate_.reserve(TF::kDateWidth);
}

TapeVolume::~TapeVolume() = default;

void TapeVolume::FreeBuffer::operator()(std::uint8_t* p) const { std::free(p); }

int TapeVolume::ShowError(MessageId id, std::initializer_list<std::string_view> args) {
    messages_.ShowMessage(id, args);
    return -1;
}

int TapeVolume::ShowTapeError(MessageId id, std::initializer_list<std::string_view> args) {
    messages_.ShowFailure(id, device_.LastFailure(), args);
    return -1;
}

int TapeVolume::ShowError() {
    messages_.Show(error_);
    return -1;
}

void TapeVolume::SetError(MessageId id, std::initializer_list<std::string_view> args) {
    error_ = MessageSink::Make(id, Error, args);
}

void TapeVolume::SetTapeError(MessageId id, std::initializer_list<std::string_view> args) {
    SetError(id, args);
    error_.failure = device_.LastFailure();
}

int TapeVolume::DriveBlockLength() { return device_.TransferBlockLength(drive_.adapter, drive_.target, drive_.lun); }

void TapeVolume::SetStreaming(bool on) {
    streaming_ = on;
    device_.SetStreaming(on);
}

int TapeVolume::StreamBlocks(int blockLength) const {
    return streaming_ ? TransferPlan::StreamBlocks(blockLength) : 0;
}

int TapeVolume::Flush() {
    writeStop_ = WriteStop::None;
    lostBuffered_ = false;
    if (device_.WriteFilemarks(0, false, drive_.adapter, drive_.target, drive_.lun) == 0) return 0;
    writeStop_ = WriteStopFor(LastTapeStop(device_));
    // What the flush was for did not reach the medium.
    lostBuffered_ = true;
    return -1;
}

bool TapeVolume::DeferredError() const {
    // Response code 71h: an earlier buffered write failed.
    const CommandFailure& f = device_.LastFailure();
    return f.present && (f.sense[0] & 0x7F) == 0x71;
}

TapeVolume::WriteStop TapeVolume::WriteStopFor(TapeStop stop) const {
    if (stop == TapeStop::PositionLost || device_.Attentions() != attentionsAtStart_) return WriteStop::Interrupted;
    return stop == TapeStop::EndOfMedium ? WriteStop::EndOfTape : WriteStop::Failed;
}

std::string TapeVolume::DamageReason() const {
    if (fault_ == RecordFault::Unfinished && blocksFound_ >= 0)
        return "it is unfinished: the end of data follows after " + std::to_string(blocksFound_) + " of its " +
               std::to_string(header_.blockCount) + " data blocks";
    return RecordFaultReason(fault_);
}

int TapeVolume::CheckBlockLength(int expected, std::size_t minimum) {
    const int actual = DriveBlockLength();
    // A failed mode sense is left to the transfer that follows, which says so
    // on its diagnostic line.
    if (actual < 0) return 0;
    if (actual < static_cast<int>(minimum) || actual > TF::kMaxBlockLength) {
        SetError(MessageId::BlockLengthNotSupported, {"drive block length " + std::to_string(actual) + " not supported"});
        return -1;
    }
    if (expected > 0 && actual != expected) {
        SetError(MessageId::BlockLengthNotSupported,
                 {"drive block length " + std::to_string(actual) + " differs from " + std::to_string(expected)});
        return -1;
    }
    return 0;
}

int TapeVolume::ReadBlocks(int count, std::uint8_t* into) {
    return device_.Read(into != nullptr ? into : buffer1_.get(), count, drive_.adapter, drive_.target, drive_.lun);
}

// ---- ident block ----

int TapeVolume::ReadIdentBlock(std::string& name, std::string& date, std::string& version) {
    // The read lands in buffer 1 at the drive's block length; refuse one the
    // buffer was not made for.
    const int blockLength = DriveBlockLength();
    if (blockLength > TF::kMaxBlockLength) return -1;
    if (device_.Rewind(drive_.adapter, drive_.target, drive_.lun) != 0) return -1;
    if (ReadBlocks(1) != 0) return -1;
    const std::uint8_t* block = buffer1_.get();
    if (!HasIdentMagic(block)) return -2;
    IdentBlock ident;
    DecodeIdentBlock(block, ident);
    name = std::move(ident.tapeName);
    date = std::move(ident.formatDate);
    version = std::move(ident.version);
    return 0;
}

int TapeVolume::WriteIdentBlock(const std::string& name) {
    if (name.size() > TF::kMaxTapeNameLength) {
        messages_.ShowMessage(MessageId::TapeNameTooLong);
        return -1;
    }
    // The tape name becomes a file name of the catalog.
    if (!IsPlainName(name)) {
        messages_.ShowMessage(MessageId::InvalidTapeName);
        return -1;
    }
    if (CheckBlockLength(0, TF::kIdentSize) != 0) return ShowError();
    if (device_.Rewind(drive_.adapter, drive_.target, drive_.lun) != 0) return -1;
    // Whatever buffer 1 held before (another file's data) stays off the tape.
    std::uint8_t* block = buffer1_.get();
    identDate_ = TodayText();
    EncodeIdentBlock({name, identDate_, kProgramVersion}, block, TF::kMaxBlockLength);
    if (device_.Write(block, 1, drive_.adapter, drive_.target, drive_.lun) != 0) return -1;
    if (device_.WriteFilemark(drive_.adapter, drive_.target, drive_.lun) != 0)
        return ShowTapeError(MessageId::ErrorWritingFilemark);
    return 0;
}

// ---- writing a file record ----

int TapeVolume::BackupFile(const std::string& name, const std::string& folder, int blockLength) {
    writeStop_ = WriteStop::None;
    lostBuffered_ = false;
    if (name.size() > TF::kMaxFileNameLength)
        return ShowError(MessageId::FileNameTooLong, {name});
    if (!IsPlainName(name) || name == TF::kReservedFileName)
        return ShowError(MessageId::FileNameNotAllowed, {name});
    if (blockLength < static_cast<int>(TF::kHeaderSize) || blockLength > TF::kMaxBlockLength)
        return ShowError(MessageId::BlockLengthNotSupported,
                         {"block length " + std::to_string(blockLength) + " not supported"});
    JoinPath(folder, name, path_);

    // Opened before the header goes to tape, so that a file that cannot be
    // backed up leaves no stray header behind.
    std::int64_t size = 0;
    std::time_t modified = 0;
    FileFacts& facts = lastFacts_;
    facts = FileFacts{};
    if (file_.OpenForReading(path_, true) != 0 || file_.Status(size, modified) != 0 ||
        file_.ExactStatus(facts.size, facts.modifiedNs, facts.mode) != 0) {
        file_.Close();
        return ShowError(MessageId::ErrorOpeningFile, {path_});
    }
    if (size > TF::kMaxFileSize) {
        file_.Close();
        return ShowError(MessageId::FileTooLarge, {path_});
    }
    attentionsAtStart_ = device_.Attentions();
    if (CheckBlockLength(blockLength, TF::kHeaderSize) != 0) {
        file_.Close();
        if (device_.Attentions() != attentionsAtStart_) {
            writeStop_ = WriteStop::Interrupted;
            return -1;
        }
        return ShowError();
    }

    FileHeader& h = header_;
    h.name = name;
    h.modificationDate = DateText(modified);
    h.backupDate = TodayText();
    h.size = static_cast<std::int32_t>(size);
    h.blockCount = TransferPlan::BlockCount(size, blockLength);

    // Whatever buffer 1 held before (the previous file's data) stays off the
    // tape.
    std::uint8_t* buffer = buffer1_.get();
    const std::size_t block = static_cast<std::size_t>(blockLength);
    EncodeFileHeader(h, buffer, block);
    // A write that did not land: the job says why when the cartridge is
    // full or the drive was reset; anything else is said here.
    auto writeFailed = [&](int blocks, bool quiet) {
        writeStop_ = WriteStopFor(LastTapeStop(device_));
        // Beyond this command's blocks the residue counts blocks of earlier
        // records that were still in the drive's buffer.
        const long long residue = device_.LastResidue();
        lostBuffered_ = (writeStop_ == WriteStop::EndOfTape && residue > blocks) || DeferredError();
        if (writeStop_ != WriteStop::Failed || quiet) return -1;
        return ShowTapeError(MessageId::ErrorWritingFileTransfer, {TransferText(blocks)});
    };

    facts.known = true;
    sum_.Begin();
    std::int64_t remaining = size;
    // One transfer: the header block (streaming, with the first data) and
    // dataBlocks blocks carrying the file's next bytes, the last of the
    // record padded with zeros.
    auto transfer = [&](int headerBlocks, int dataBlocks) -> int {
        std::uint8_t* data = buffer + headerBlocks * block;
        const std::size_t room = static_cast<std::size_t>(dataBlocks) * block;
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(remaining, static_cast<std::int64_t>(room)));
        if (want < room) std::memset(data + want, 0, room - want);
        const std::int64_t got = want > 0 ? file_.Read(data, want) : 0;
        if (got < 0) return ShowError(MessageId::ErrorReadingFile, {path_});
        if (got < static_cast<std::int64_t>(want)) return ShowError(MessageId::FileGotShorter, {path_});
        sum_.Add(data, static_cast<std::size_t>(got));
        // The header alone failing says nothing but its diagnostic line.
        if (device_.Write(buffer, headerBlocks + dataBlocks, drive_.adapter, drive_.target, drive_.lun) != 0)
            return writeFailed(headerBlocks + dataBlocks, dataBlocks == 0);
        remaining -= got;
        if (dataBlocks > 0) {
            counters_.bytesDone += got;
            status_.ShowProgress(counters_.bytesDone, counters_.bytesTotal);
        }
        return 0;
    };

    const TransferPlan plan = TransferPlan::For(size, blockLength);
    if (plan.count64 > 1) ReadsAhead(file_);
    int result = 0;
    if (streaming_) {
        // The header goes with the first data, as many blocks as buffer 1
        // holds in each transfer.
        const int most = TransferPlan::StreamBlocks(blockLength);
        std::int32_t left = h.blockCount;
        int header = 1;
        while (result == 0 && left > 0) {
            const int blocks = std::min<std::int32_t>(left, most - header);
            result = transfer(header, blocks);
            left -= blocks;
            header = 0;
        }
    } else {
        result = transfer(1, 0);
        for (int i = 0; result == 0 && i < plan.count64; ++i) result = transfer(0, TF::kBigTransfer);
        for (int i = 0; result == 0 && i < plan.count10; ++i) result = transfer(0, TF::kMidTransfer);
        for (int i = 0; result == 0 && i < plan.count1; ++i) result = transfer(0, 1);
    }
    // Streaming, the filemark is only handed to the drive: the job flushes
    // before the catalog names the record.
    if (result == 0 && device_.WriteFilemarks(1, streaming_, drive_.adapter, drive_.target, drive_.lun) != 0) {
        writeStop_ = WriteStopFor(LastTapeStop(device_));
        lostBuffered_ = DeferredError();
        result = writeStop_ == WriteStop::Failed ? ShowTapeError(MessageId::ErrorWritingFilemark) : -1;
    }
    file_.Close();
    if (result != 0) {
        facts = FileFacts{};
        return -1;
    }
    sum_.End(facts.digest);
    lastWritten_ = h;
    return 0;
}

// ---- reading file records ----

void TapeVolume::BeginRecord() {
    fault_ = RecordFault::None;
    pastFilemark_ = false;
    blocksRead_ = 0;
    blocksFound_ = -1;
    attentionsAtStart_ = device_.Attentions();
    // No name until this record's header is read.
    header_.name.clear();
    reading_ = expected_;
    readingName_ = expectedName_;
    expected_ = nullptr;
    expectedName_ = nullptr;
    readDigest_ = Digest{};
}

void TapeVolume::BeginReadSum() {
    readSum_.SetKind(reading_ != nullptr ? reading_->digest.kind : SumKind::None);
    readSum_.Begin();
}

bool TapeVolume::EndReadSum() {
    readSum_.End(readDigest_);
    return !readDigest_.Present() || readDigest_ == reading_->digest;
}

int TapeVolume::ReadFileHeader(std::string& name, std::string& modificationDate, std::string& backupDate,
                               std::int32_t& size, std::int32_t& blockCount) {
    if (DriveBlockLength() > TF::kMaxBlockLength) return -1;
    if (ReadBlocks(1) != 0) return -1;
    const std::uint8_t type = DecodeFileHeader(buffer1_.get(), header_);
    if (type == TF::kNoRecord) return -1;
    name = header_.name;
    modificationDate = header_.modificationDate;
    backupDate = header_.backupDate;
    size = header_.size;
    blockCount = header_.blockCount;
    return type == TF::kFileRecord ? 0 : type == TF::kFileRecordAlt ? 2 : -1;
}

bool TapeVolume::PositionLost() {
    // The MODE SENSE before the record met a unit attention: reading on
    // would read wherever the tape now stands.
    if (device_.Attentions() == attentionsAtStart_) return false;
    fault_ = RecordFault::Interrupted;
    return true;
}

RecordFault TapeVolume::StopFault(TapeStop stop, RecordFault otherwise) const {
    if (stop == TapeStop::PositionLost || device_.Attentions() != attentionsAtStart_) return RecordFault::Interrupted;
    if (stop == TapeStop::WrongLength) return RecordFault::OtherBlockSize;
    return otherwise;
}

int TapeVolume::ReadHeaderBlock(FileHeader& header) {
    if (ReadBlocks(1) != 0) {
        const TapeStop stop = LastTapeStop(device_);
        pastFilemark_ = stop == TapeStop::Filemark;
        fault_ = stop == TapeStop::EndOfData  ? RecordFault::EndOfData
                 : stop == TapeStop::Filemark ? RecordFault::NoHeader
                                              : StopFault(stop, RecordFault::HeaderUnreadable);
        return -1;
    }
    const std::uint8_t type = DecodeFileHeader(buffer1_.get(), header);
    if (type != TF::kFileRecord && type != TF::kFileRecordAlt) {
        fault_ = RecordFault::NoHeader;
        return -1;
    }
    fault_ = RecordFault::None;
    return type == TF::kFileRecord ? 0 : 2;
}

int TapeVolume::ReadDataBlocks(int count, std::uint8_t* into) {
    if (ReadBlocks(count, into) == 0) {
        blocksRead_ += count;
        return 0;
    }
    const TapeStop stop = LastTapeStop(device_);
    switch (stop) {
    case TapeStop::EndOfData:
        fault_ = RecordFault::Unfinished;
        // The residue says how many of this transfer's blocks were there.
        blocksFound_ = device_.LastResidue() >= 0 ? blocksRead_ + device_.LastTransferred() : -1;
        break;
    case TapeStop::Filemark:
        fault_ = RecordFault::ShortRecord;
        pastFilemark_ = true;
        break;
    default:
        fault_ = StopFault(stop, RecordFault::Unreadable);
        break;
    }
    return -1;
}

int TapeVolume::ReadFilemark() {
    if (ReadBlocks(1) == 0) {
        fault_ = RecordFault::LongRecord;
        return -1;
    }
    const TapeStop stop = LastTapeStop(device_);
    switch (stop) {
    case TapeStop::Filemark:
        pastFilemark_ = true;
        return 0;
    case TapeStop::EndOfData:
        fault_ = RecordFault::Unfinished;
        blocksFound_ = blocksRead_;
        return -1;
    case TapeStop::WrongLength:
        // A block of another length where the filemark was due.
        fault_ = StopFault(stop, RecordFault::LongRecord);
        return -1;
    default:
        fault_ = StopFault(stop, RecordFault::Unreadable);
        return -1;
    }
}

void TapeVolume::DamageText() { SetTapeError(MessageId::RecordDamaged, {header_.name, DamageReason()}); }

int TapeVolume::ReadCheckedHeader(const Expected* expected, int blockLength) {
    FileHeader& h = header_;
    error_.text.clear();
    if (ReadHeaderBlock(h) < 0) return -1;
    auto fail = [&](RecordFault fault, MessageId id) {
        fault_ = fault;
        SetError(id, {h.name});
        return -1;
    };
    if (expected != nullptr && (h.name != expected->name || h.modificationDate != expected->modificationDate ||
                                h.size != expected->size || h.blockCount != expected->blockCount))
        return fail(RecordFault::Mismatch, MessageId::FileInfosDoNotMatch);
    if (!IsPlainName(h.name)) return fail(RecordFault::BadName, MessageId::FileNameOnTapeNotAllowed);
    // The header's own two numbers must agree: the data blocks are read by
    // the size, the filemarks counted past them.
    if (h.size < 0 || h.blockCount != TransferPlan::BlockCount(h.size, blockLength))
        return fail(RecordFault::BadHeader, MessageId::FileHeaderDamaged);
    return 0;
}

void TapeVolume::ShowFileStart(const char* action) {
    text_.assign(action).append(" '").append(header_.name).append("'...");
    status_.ShowStatus(text_);
    counters_.bytesDone = 0;
    counters_.bytesTotal = header_.size;
    status_.ShowProgress(counters_.bytesDone, counters_.bytesTotal);
}

int TapeVolume::RestoreFile(const std::string& expectedName, const std::string& expectedModificationDate,
                            std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                            const std::string& destinationFolder) {
    const Expected expected{expectedName, expectedModificationDate, expectedSize, expectedBlockCount};
    return Restore(&expected, blockLength, destinationFolder);
}

int TapeVolume::RestoreNextFile(int blockLength, const std::string& destinationFolder) {
    return Restore(nullptr, blockLength, destinationFolder);
}

int TapeVolume::Restore(const Expected* expected, int blockLength, const std::string& destinationFolder) {
    BeginRecord();
    const bool full = expected == nullptr;
    // Messages about the record are shown once the files restored before
    // it are in place; those of a full restore are the job's to show.
    if (CheckBlockLength(blockLength, 1) != 0) {
        fault_ = RecordFault::Drive;
        return files_.Report(error_);
    }
    if (PositionLost()) return -1;
    if (ReadCheckedHeader(expected, blockLength) != 0) return full || error_.text.empty() ? -1 : files_.Report(error_);
    if (full) ShowFileStart("Restoring");
    // Facts of another file (a catalog out of step with the tape) are not used.
    if (reading_ != nullptr && ((readingName_ != nullptr && *readingName_ != header_.name) ||
                                (reading_->known && reading_->size != header_.size)))
        reading_ = nullptr;
    if (files_.Open(destinationFolder, header_.name, fault_) != 0) return -1;
    if (RestoreData(full, blockLength) != 0) {
        files_.Abandon();
        return full || error_.text.empty() ? -1 : files_.Report(error_);
    }
    if (!EndReadSum()) return files_.CompleteDamaged(fault_);
    return files_.Complete(header_.modificationDate, reading_, fault_);
}

int TapeVolume::RestoreData(bool full, int blockLength) {
    const FileHeader& h = header_;
    error_.text.clear();
    // Transfers are read one after another into buffer 1 and written to the
    // file together when it is full and at the record's end: one write for
    // many transfers, and none for each single block.
    std::uint8_t* buffer = buffer1_.get();
    const std::int64_t block = blockLength;
    const std::int64_t chunk = static_cast<std::int64_t>(TF::kBufferSize) / (TF::kBigTransfer * block) *
                               (TF::kBigTransfer * block);
    std::int64_t position = 0;
    std::int64_t held = 0;  // bytes for the file in buffer 1
    BeginReadSum();
    auto flush = [&]() -> int {
        if (files_.Write(buffer, static_cast<std::size_t>(held)) != 0) {
            fault_ = RecordFault::Disk;
            return -1;
        }
        held = 0;
        return 0;
    };
    auto transfer = [&](int blocks) -> int {
        const std::int64_t length = blocks * block;
        if (held + length > chunk && flush() != 0) return -1;
        if (ReadDataBlocks(blocks, buffer + held) != 0) {
            // An interrupted restore is the job's to report, with what it restored.
            if (!full && fault_ != RecordFault::Interrupted)
                SetTapeError(MessageId::TapeReadError, {TransferText(blocks)});
            return -1;
        }
        position += length;
        // Only the record's last transfer reaches past the recorded size.
        const std::int64_t bytes = std::min(length, h.size - (position - length));
        readSum_.Add(buffer + held, static_cast<std::size_t>(bytes));
        held += bytes;
        counters_.bytesDone += bytes;
        status_.ShowProgress(counters_.bytesDone, counters_.bytesTotal);
        return 0;
    };
    if (ReadAllBlocks(TransferPlan::For(h.size, blockLength), StreamBlocks(blockLength), h.blockCount, transfer) != 0 ||
        flush() != 0)
        return -1;
    // The file is restored only from a whole record: a filemark missing
    // after its last block (lost, or blocks repeated on tape) would give a
    // file with wrong content, and the next record could not be found.
    if (ReadFilemark() != 0) {
        if (fault_ != RecordFault::Interrupted) DamageText();
        return -1;
    }
    return 0;
}

int TapeVolume::CheckNextFile(int blockLength) {
    BeginRecord();
    if (CheckBlockLength(blockLength, 1) != 0) {
        fault_ = RecordFault::Drive;
        return -1;
    }
    if (PositionLost()) return -1;
    if (ReadCheckedHeader(nullptr, blockLength) != 0) return -1;
    const FileHeader& h = header_;
    ShowFileStart("Checking");
    if (reading_ != nullptr && ((readingName_ != nullptr && *readingName_ != h.name) ||
                                (reading_->known && reading_->size != h.size)))
        reading_ = nullptr;
    BeginReadSum();
    const std::int64_t block = blockLength;
    std::int64_t position = 0;
    auto transfer = [&](int blocks) -> int {
        if (ReadDataBlocks(blocks) != 0) return -1;
        const std::int64_t start = position;
        position += blocks * block;
        const std::int64_t bytes = position > h.size ? h.size - start : blocks * block;
        readSum_.Add(buffer1_.get(), static_cast<std::size_t>(bytes));
        counters_.bytesDone += bytes;
        status_.ShowProgress(counters_.bytesDone, counters_.bytesTotal);
        return 0;
    };
    if (ReadAllBlocks(TransferPlan::For(h.size, blockLength), StreamBlocks(blockLength), h.blockCount, transfer) != 0 ||
        ReadFilemark() != 0)
        return -1;
    if (!EndReadSum()) {
        fault_ = RecordFault::SumDiffers;
        return -1;
    }
    return 0;
}

int TapeVolume::VerifyFile(const std::string& expectedName, const std::string& expectedModificationDate,
                           std::int32_t expectedSize, std::int32_t expectedBlockCount, int blockLength,
                           const std::string& folder) {
    BeginRecord();
    if (CheckBlockLength(blockLength, 1) != 0) {
        fault_ = RecordFault::Drive;
        return ShowError();
    }
    if (PositionLost()) return VerifyResult::Failed;
    const Expected expected{expectedName, expectedModificationDate, expectedSize, expectedBlockCount};
    if (ReadCheckedHeader(&expected, blockLength) != 0) {
        if (!error_.text.empty()) ShowError();
        return VerifyResult::Failed;
    }
    const FileHeader& h = header_;
    ShowFileStart("Verifying");

    JoinPath(folder, h.name, path_);
    LocalFile in;
    if (in.OpenForReading(path_, true) != 0) return VerifyResult::CannotOpen;

    const std::uint8_t* tape = buffer1_.get();
    const std::int64_t block = blockLength;
    const TransferPlan plan = TransferPlan::For(h.size, blockLength);
    if (plan.count64 > 1) ReadsAhead(in);
    DiskChunks disk(in, buffer2_.get(), static_cast<std::size_t>(TF::kBigTransfer * block));
    std::int64_t position = 0;
    // 0 to go on, 1 when a difference was found (in difference), -1 on error.
    std::int64_t difference = -1;
    // With a checksum to check, the record is read to its end after a
    // difference, to tell damage on tape from a file changed on disk.
    BeginReadSum();
    const bool summing = readSum_.Kind() != SumKind::None;
    auto transfer = [&](int blocks) -> int {
        if (ReadDataBlocks(blocks) != 0) {
            // An interruption is the job's to report.
            if (fault_ == RecordFault::Interrupted) return -1;
            return ShowTapeError(MessageId::TapeReadError, {TransferText(blocks)});
        }
        const std::int64_t start = position;
        position += blocks * block;
        const std::int64_t want = position > h.size ? h.size - start : blocks * block;
        readSum_.Add(tape, static_cast<std::size_t>(want));
        if (difference >= 0) return 0;
        const std::uint8_t* data = nullptr;
        const std::int64_t got = disk.Take(static_cast<std::size_t>(want), data);
        if (got < 0) return ShowError(MessageId::ErrorReadingFile, {path_});
        const std::int64_t at = FirstDifference(tape, data, static_cast<std::size_t>(got));
        if (at >= 0 || got < want) {
            // A file that ends early differs at its end.
            difference = start + (at >= 0 ? at : got);
            return summing ? 0 : 1;
        }
        counters_.bytesDone += got;
        status_.ShowProgress(counters_.bytesDone, counters_.bytesTotal);
        return 0;
    };

    int result = ReadAllBlocks(plan, StreamBlocks(blockLength), h.blockCount, transfer);
    if (result == 0 && difference >= 0) result = 1;
    // A file that goes on past the recorded size differs where the record ends.
    if (result == 0) {
        const std::int64_t more = disk.More();
        if (more < 0) result = ShowError(MessageId::ErrorReadingFile, {path_});
        if (more > 0) {
            difference = h.size;
            result = 1;
        }
    }
    // Identical data counts only from a whole record; so does a checksum.
    if ((result == 0 || (result > 0 && summing)) && ReadFilemark() != 0) {
        if (fault_ != RecordFault::Interrupted) {
            DamageText();
            ShowError();
        }
        result = -1;
    }
    in.Close();
    if (result < 0) return VerifyResult::Failed;
    if (summing && !EndReadSum()) {
        fault_ = RecordFault::SumDiffers;
        return VerifyResult::TapeDamaged;
    }
    if (result > 0) return difference == 0 ? VerifyResult::DiffersAtStart : static_cast<int>(difference);
    return VerifyResult::Identical;
}

int TapeVolume::ReadListedHeader() {
    BeginRecord();
    const int blockLength = DriveBlockLength();
    if (PositionLost()) return -1;
    if (blockLength < static_cast<int>(TF::kHeaderSize) || blockLength > TF::kMaxBlockLength) {
        fault_ = RecordFault::Drive;
        return -1;
    }
    if (ReadCheckedHeader(nullptr, blockLength) != 0) return -1;
    // The name becomes a catalog entry: it must fit the entry's field.
    if (header_.name.size() > TF::kMaxFileNameLength) {
        fault_ = RecordFault::BadName;
        return -1;
    }
    return 0;
}

// ---- end of data ----

int TapeVolume::MoveToEOD() {
    const int status = device_.SpaceToEndOfData(drive_.adapter, drive_.target, drive_.lun);
    if (status == SS_COMP) return 0;
    if (status == SS_ABORTED) return ShowTapeError(MessageId::MoveToEodError, {"aborted"});
    if (status == SS_ERR) return ShowTapeError(MessageId::MoveToEodError, {"completed with error"});
    return ShowTapeError(MessageId::MoveToEodError, {std::to_string(status)});
}

int TapeVolume::MoveToAppendPoint(int recordCount) {
    unlisted_ = 0;
    if (recordCount < 0) return -1;
    const auto& a = drive_;
    auto toAppendPoint = [&]() -> int {
        if (device_.Rewind(a.adapter, a.target, a.lun) != 0) return -1;
        if (device_.SpaceFilemarks(recordCount + 1, a.adapter, a.target, a.lun) != 0)
            return ShowTapeError(MessageId::FewerRecordsThanEntries);
        return 0;
    };
    if (toAppendPoint() != 0) return -1;
    if (DriveBlockLength() > TF::kMaxBlockLength) return -1;

    // Empty tape files (filemarks only) may follow; they hold nothing.
    while (ReadBlocks(1) != 0) {
        const TapeStop stop = LastTapeStop(device_);
        if (stop == TapeStop::EndOfData) return toAppendPoint();
        if (stop != TapeStop::Filemark) break;
    }
    // Something is recorded (or cannot be read) here: written over only
    // when its filemark is missing and the end of data follows, as after a
    // backup that did not end. Complete records mean that the catalog is
    // behind the tape, and writing would destroy them.
    if (device_.SpaceFilemarks(1, a.adapter, a.target, a.lun) != 0) {
        if (LastTapeStop(device_) == TapeStop::EndOfData) return toAppendPoint();
        return AppendResult::Unreadable;
    }
    unlisted_ = 1;
    while (device_.SpaceFilemarks(1, a.adapter, a.target, a.lun) == 0) ++unlisted_;
    return AppendResult::Unlisted;
}

#include "catalog/DirFile.h"

#include <cstring>
#include <sys/stat.h>

#include "catalog/DirFileEntry.h"
#include "catalog/DirFileFormat.h"
#include "catalog/ReplaceFile.h"
#include "tape/DateText.h"
#include "tape/IdentBlock.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/ProgramVersion.h"
#include "tape/TransferPlan.h"

namespace DF = DirFileFormat;
namespace TF = TapeFormat;

DirFile::DirFile(MessageSink& messages) : messages_(messages) {
    fields_.name.reserve(TF::kFileNameWidth);
    fields_.modificationDate.reserve(TF::kDateWidth);
    fields_.backupDate.reserve(TF::kDateWidth);
}

DirFile::~DirFile() = default;

bool DirFile::Exists(const std::string& path) {
    LocalFile file;
    return file.OpenForReading(path, false) == 0;
}

int DirFile::WriteHeader(const std::string& path, const std::string& tapeName, const std::string& date,
                         const std::string& version) {
    // A text that does not fit its field with its NUL would be cut or spill
    // into the next field.
    if (tapeName.size() >= TF::kTapeNameWidth || date.size() >= TF::kDateWidth ||
        version.size() >= TF::kVersionWidth)
        return -1;
    std::uint8_t header[DF::kHeaderSize];
    EncodeIdentBlock({tapeName, date, version}, header, sizeof header);
    // A new catalog, or one made anew, replaces what stands under its name
    // whole; a link there is not followed.
    if (ReplaceFile(path, header, sizeof header) != kReplaced) return -1;
    // Records of the catalog that stood here must not meet its successor's entries.
    return SumFile::Create(path);
}

int DirFile::CreateForNewTape(const std::string& tapeName, const std::string& path) {
    return WriteHeader(path, tapeName, TodayText(), kProgramVersion);
}

int DirFile::CreateFromIdent(const std::string& tapeName, const std::string& path, const std::string& date,
                             const std::string& version) {
    return WriteHeader(path, tapeName, date, version);
}

int DirFile::ReadIdent(const std::string& path, std::string& tapeName, std::string& date, std::string& version) {
    LocalFile file;
    if (file.OpenForReading(path, false) != 0) return -2;
    // Fields cut short by the end of the file read as far as they go.
    std::uint8_t header[DF::kHeaderSize] = {};
    if (file.Read(header, sizeof header) <= 0) return -1;
    IdentBlock ident;
    if (!DecodeIdentBlock(header, ident)) return -1;
    tapeName = std::move(ident.tapeName);
    date = std::move(ident.formatDate);
    version = std::move(ident.version);
    return 0;
}

int DirFile::OpenForReading(const std::string& path) {
    entriesRead_ = 0;
    listEnd_ = ListEnd::Clean;
    return file_.OpenForReading(path, false);
}

int DirFile::SkipIdent() {
    entriesRead_ = 0;
    listEnd_ = ListEnd::Clean;
    return file_.IsOpen() && file_.Seek(DF::kHeaderSize) == 0 ? 0 : -1;
}

int DirFile::EndList(ListEnd end) {
    listEnd_ = end;
    // The list stays ended: later calls read nothing.
    file_.Close();
    return -1;
}

int DirFile::ReadNextEntry(std::string& name, std::string& fileDate, std::string& backupDate, std::int32_t& size,
                           std::int32_t& blockCount) {
    if (!file_.IsOpen()) return -1;
    std::uint8_t entry[DF::kEntrySize];
    const std::int64_t typeRead = file_.Read(entry, 1);
    if (typeRead < 0) return EndList(ListEnd::ReadError);
    if (typeRead == 0) return EndList(ListEnd::Clean);
    // The format holds 999: anything after them is damage.
    if (entriesRead_ >= DF::kMaxEntries) return EndList(ListEnd::TooMany);
    if (!DF::IsEntryType(entry[DF::kTypeOffset])) {
        // A lone last byte is an entry cut short, whatever its value.
        const std::int64_t more = file_.Read(entry + 1, 1);
        return EndList(more < 0 ? ListEnd::ReadError : more == 0 ? ListEnd::CutShort : ListEnd::BadType);
    }
    const std::int64_t rest = file_.Read(entry + 1, DF::kEntrySize - 1);
    if (rest < 0) return EndList(ListEnd::ReadError);
    if (rest != static_cast<std::int64_t>(DF::kEntrySize - 1)) return EndList(ListEnd::CutShort);
    ++entriesRead_;
    DecodeDirFileEntry(entry, fields_);
    name = fields_.name;
    fileDate = fields_.modificationDate;
    backupDate = fields_.backupDate;
    size = fields_.size;
    blockCount = fields_.blockCount;
    return 0;
}

int DirFile::Close() {
    file_.Close();
    return 0;
}

int DirFile::CountEntries(const std::string& path) {
    LocalFile file;
    if (file.OpenForReading(path, false) != 0) return -1;
    if (file.Seek(DF::kHeaderSize) != 0) return 0;
    std::uint8_t entry[DF::kEntrySize];
    int count = 0;
    while (count < DF::kMaxEntries) {
        if (file.Read(entry, 1) != 1) break;
        if (!DF::IsEntryType(entry[DF::kTypeOffset])) break;
        if (file.Read(entry + 1, DF::kEntrySize - 1) != static_cast<std::int64_t>(DF::kEntrySize - 1)) break;
        ++count;
    }
    return count;
}

int DirFile::ValidateEntries(const std::string& path, int& entries) {
    entries = 0;
    LocalFile file;
    std::int64_t length = 0;
    std::time_t modified = 0;
    if (file.OpenForReading(path, false) != 0 || file.Status(length, modified) != 0) return -1;
    if (length <= static_cast<std::int64_t>(DF::kHeaderSize)) return 0;
    if (file.Seek(DF::kHeaderSize) != 0) return -1;
    std::uint8_t entry[DF::kEntrySize];
    for (;;) {
        const std::int64_t got = file.Read(entry, sizeof entry);
        if (got < 0) return -1;
        if (got == 0) return 0;
        if (!DF::IsEntryType(entry[DF::kTypeOffset])) return 1;
        // Only the last entry may be cut short.
        if (got < static_cast<std::int64_t>(sizeof entry)) return 0;
        ++entries;
    }
}

int DirFile::AppendBackedUpFile(const std::string& path, const std::string& fileName, const std::string& directory,
                                int blockSize) {
    if (blockSize <= 0) return -1;
    std::string fileDate;
    std::int64_t size = 0;
    std::string full;
    JoinPath(directory, fileName, full);
    struct stat st {};
    if (::stat(full.c_str(), &st) == 0) {
        fileDate = DateText(st.st_mtime);
        size = st.st_size;
    }
    // Such a file cannot have been written to tape.
    if (size > TF::kMaxFileSize) return -1;
    return AppendEntry(path, fileName, fileDate, TodayText(), static_cast<std::int32_t>(size),
                       TransferPlan::BlockCount(size, blockSize));
}

int DirFile::EncodeEntry(std::uint8_t* entry, const std::string& name, const std::string& fileDate,
                         const std::string& backupDate, std::int32_t size, std::int32_t blockCount) {
    fields_.name = name;
    fields_.modificationDate = fileDate;
    fields_.backupDate = backupDate;
    fields_.size = size;
    fields_.blockCount = blockCount;
    return EncodeDirFileEntry(fields_, entry);
}

int DirFile::WriteAfterLastWholeEntry(LocalFile& file, const std::uint8_t* entry, std::int64_t& end) {
    std::int64_t length = 0;
    std::time_t modified = 0;
    if (file.Status(length, modified) != 0 || length < static_cast<std::int64_t>(DF::kHeaderSize)) return -1;
    // After the last whole entry: the bytes of an entry cut short by a crash
    // are overwritten, so that every later entry stays on the 286-byte grid.
    const std::int64_t whole = (length - static_cast<std::int64_t>(DF::kHeaderSize)) / DF::kEntrySize;
    const std::int64_t at = static_cast<std::int64_t>(DF::kHeaderSize) + whole * DF::kEntrySize;
    end = at + static_cast<std::int64_t>(DF::kEntrySize);
    if (file.WriteAt(entry, DF::kEntrySize, at) != 0 || file.Truncate(end) != 0) return -1;
    return 0;
}

int DirFile::PutSums(SumFile& sums, std::int64_t end, const std::string& name, const FileFacts* facts) {
    sumRecord_.facts = facts != nullptr ? *facts : FileFacts{};
    sumRecord_.nameHash = SumNameHash(name);
    const std::int64_t index = (end - static_cast<std::int64_t>(DF::kHeaderSize)) / DF::kEntrySize - 1;
    return sums.Put(index, sumRecord_);
}

int DirFile::AppendEntry(const std::string& path, const std::string& name, const std::string& fileDate,
                         const std::string& backupDate, std::int32_t size, std::int32_t blockCount) {
    std::uint8_t entry[DF::kEntrySize];
    if (EncodeEntry(entry, name, fileDate, backupDate, size, blockCount) != 0) return -1;
    LocalFile file;
    if (file.OpenForUpdate(path) != 0) return -1;
    std::int64_t end = 0;
    if (WriteAfterLastWholeEntry(file, entry, end) != 0 || file.Sync() != 0) {
        file.Close();
        return -1;
    }
    SumFile sums;
    const bool summed = sums.Begin(path) == 0 && PutSums(sums, end, name, nullptr) == 0;
    if (sums.End() != 0 || !summed) {
        file.Close();
        return -1;
    }
    return file.Close();
}

int DirFile::BeginAppend(const std::string& path) {
    EndAppend();
    appendAt_ = -1;
    appendFailed_ = false;
    appendPath_ = path;
    if (appendFile_.OpenForUpdate(path) != 0) return -1;
    if (sums_.Begin(path) != 0) {
        appendFile_.Close();
        return -1;
    }
    return 0;
}

int DirFile::AppendNext(const std::string& name, const std::string& fileDate, const std::string& backupDate,
                        std::int32_t size, std::int32_t blockCount, const FileFacts* facts) {
    std::uint8_t entry[DF::kEntrySize];
    if (!appendFile_.IsOpen() || appendFailed_ ||
        EncodeEntry(entry, name, fileDate, backupDate, size, blockCount) != 0)
        return -1;
    // Entries written to a catalog that is no longer under its name would
    // be lost.
    if (!appendFile_.IsAt(appendPath_)) {
        appendFailed_ = true;
        return -1;
    }
    // The run's first entry finds its place as AppendEntry does; each later
    // one follows the one before, as nothing else writes the file meanwhile.
    int written = 0;
    if (appendAt_ < 0) {
        written = WriteAfterLastWholeEntry(appendFile_, entry, appendAt_);
    } else {
        written = appendFile_.WriteAt(entry, sizeof entry, appendAt_);
        appendAt_ += static_cast<std::int64_t>(sizeof entry);
    }
    // A failed write may have left part of an entry where the next belongs.
    if (written != 0 || PutSums(sums_, appendAt_, name, facts) != 0) {
        appendFailed_ = true;
        return -1;
    }
    return 0;
}

int DirFile::SyncAppended() {
    if (!appendFile_.IsOpen()) return 0;
    const bool sums = sums_.Sync() == 0;
    return appendFile_.Sync() == 0 && sums && !appendFailed_ && appendFile_.IsAt(appendPath_) ? 0 : -1;
}

int DirFile::EndAppend() {
    if (!appendFile_.IsOpen()) return 0;
    const int synced = SyncAppended();
    const int summed = sums_.End();
    const int closed = appendFile_.Close();
    appendAt_ = -1;
    return synced == 0 && summed == 0 && closed == 0 ? 0 : -1;
}

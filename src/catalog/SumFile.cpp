#include "catalog/SumFile.h"

#include <unistd.h>

#include <cerrno>

#include "catalog/DirFileFormat.h"
#include "catalog/ReplaceFile.h"
#include "catalog/SumFileFormat.h"

namespace SF = SumFileFormat;

void SumFile::PathOf(const std::string& catalogPath, std::string& sumsPath) {
    const std::string_view twd = DirFileFormat::kExtension;
    const bool hasExtension = catalogPath.size() >= twd.size() &&
                              catalogPath.compare(catalogPath.size() - twd.size(), twd.size(), twd) == 0;
    sumsPath.assign(catalogPath, 0, hasExtension ? catalogPath.size() - twd.size() : catalogPath.size());
    sumsPath.append(SF::kExtension);
}

int SumFile::Create(const std::string& catalogPath) {
    std::string path;
    PathOf(catalogPath, path);
    std::uint8_t header[SF::kHeaderSize];
    EncodeSumHeader(header);
    return ReplaceFile(path, header, sizeof header) == kReplaced ? 0 : -1;
}

int SumFile::Remove(const std::string& catalogPath) {
    std::string path;
    PathOf(catalogPath, path);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
    return SyncFolderOf(path);
}

int SumFile::Load(const std::string& catalogPath, std::vector<SumRecord>& records) {
    records.clear();
    std::string path;
    PathOf(catalogPath, path);
    LocalFile file;
    if (file.OpenForReading(path, false) != 0) return errno == ENOENT ? 0 : -1;
    std::uint8_t header[SF::kHeaderSize];
    const std::int64_t got = file.Read(header, sizeof header);
    if (got < 0) return -1;
    if (got != static_cast<std::int64_t>(sizeof header) || !DecodeSumHeader(header)) return 0;
    std::uint8_t bytes[SF::kRecordSize];
    for (int i = 0; i < DirFileFormat::kMaxEntries; ++i) {
        const std::int64_t n = file.Read(bytes, sizeof bytes);
        if (n < 0) return -1;
        if (n != static_cast<std::int64_t>(sizeof bytes)) break;
        DecodeSumRecord(bytes, records.emplace_back());
    }
    return 0;
}

SumFile::SumFile() { path_.reserve(4096); }

int SumFile::Begin(const std::string& catalogPath) {
    End();
    failed_ = false;
    PathOf(catalogPath, path_);
    if (file_.OpenForUpdate(path_) != 0) {
        if (errno != ENOENT || Create(catalogPath) != 0 || file_.OpenForUpdate(path_) != 0) return -1;
    }
    std::uint8_t header[SF::kHeaderSize] = {};
    const std::int64_t got = file_.ReadAt(header, sizeof header, 0);
    if (got == static_cast<std::int64_t>(sizeof header) && DecodeSumHeader(header)) return 0;
    // Not a sums file this program reads: it starts anew.
    EncodeSumHeader(header);
    if (got < 0 || file_.WriteAt(header, sizeof header, 0) != 0 || file_.Truncate(SF::kHeaderSize) != 0) {
        file_.Close();
        return -1;
    }
    return 0;
}

int SumFile::Put(std::int64_t index, const SumRecord& record) {
    if (!file_.IsOpen() || failed_ || index < 0) return -1;
    std::uint8_t bytes[SF::kRecordSize];
    EncodeSumRecord(record, bytes);
    const std::int64_t at = static_cast<std::int64_t>(SF::kHeaderSize) + index * static_cast<std::int64_t>(SF::kRecordSize);
    if (file_.WriteAt(bytes, sizeof bytes, at) != 0 || file_.Truncate(at + static_cast<std::int64_t>(sizeof bytes)) != 0) {
        failed_ = true;
        return -1;
    }
    return 0;
}

int SumFile::Sync() {
    if (!file_.IsOpen()) return 0;
    return file_.Sync() == 0 && !failed_ ? 0 : -1;
}

int SumFile::End() {
    if (!file_.IsOpen()) return 0;
    const int synced = Sync();
    const int closed = file_.Close();
    return synced == 0 && closed == 0 ? 0 : -1;
}

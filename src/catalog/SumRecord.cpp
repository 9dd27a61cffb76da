#include "catalog/SumRecord.h"

#include <xxhash.h>

#include <cstring>

#include "catalog/SumFileFormat.h"

namespace SF = SumFileFormat;

namespace {

void PutLe(std::uint8_t* at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint64_t GetLe(const std::uint8_t* at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(at[i]) << (8 * i);
    return value;
}

}  // namespace

std::uint64_t SumNameHash(std::string_view name) { return XXH3_64bits(name.data(), name.size()); }

void EncodeSumRecord(const SumRecord& record, std::uint8_t* bytes) {
    std::memset(bytes, 0, SF::kRecordSize);
    const FileFacts& f = record.facts;
    bytes[SF::kKindOffset] = static_cast<std::uint8_t>(f.digest.kind);
    bytes[SF::kFlagsOffset] = f.known ? SF::kFactsKnown : 0;
    if (f.known) {
        PutLe(bytes + SF::kModeOffset, f.mode & 07777, 4);
        PutLe(bytes + SF::kSizeOffset, static_cast<std::uint64_t>(f.size), 8);
        PutLe(bytes + SF::kTimeOffset, static_cast<std::uint64_t>(f.modifiedNs), 8);
    }
    std::memcpy(bytes + SF::kSumOffset, f.digest.bytes, DigestSize(f.digest.kind));
    PutLe(bytes + SF::kNameHashOffset, record.nameHash, 8);
}

void DecodeSumRecord(const std::uint8_t* bytes, SumRecord& record) {
    record = SumRecord{};
    FileFacts& f = record.facts;
    const std::uint8_t kind = bytes[SF::kKindOffset];
    if (kind == static_cast<std::uint8_t>(SumKind::Xxh3_128) || kind == static_cast<std::uint8_t>(SumKind::Sha256)) {
        f.digest.kind = static_cast<SumKind>(kind);
        std::memcpy(f.digest.bytes, bytes + SF::kSumOffset, DigestSize(f.digest.kind));
    }
    f.known = (bytes[SF::kFlagsOffset] & SF::kFactsKnown) != 0;
    if (f.known) {
        f.mode = static_cast<std::uint32_t>(GetLe(bytes + SF::kModeOffset, 4)) & 07777;
        f.size = static_cast<std::int64_t>(GetLe(bytes + SF::kSizeOffset, 8));
        f.modifiedNs = static_cast<std::int64_t>(GetLe(bytes + SF::kTimeOffset, 8));
    }
    record.nameHash = GetLe(bytes + SF::kNameHashOffset, 8);
}

void EncodeSumHeader(std::uint8_t* bytes) {
    std::memset(bytes, 0, SF::kHeaderSize);
    std::memcpy(bytes, SF::kMagic, sizeof SF::kMagic);
    PutLe(bytes + SF::kVersionOffset, SF::kVersion, 2);
    PutLe(bytes + SF::kRecordSizeOffset, SF::kRecordSize, 2);
}

bool DecodeSumHeader(const std::uint8_t* bytes) {
    return std::memcmp(bytes, SF::kMagic, sizeof SF::kMagic) == 0 &&
           GetLe(bytes + SF::kVersionOffset, 2) == SF::kVersion &&
           GetLe(bytes + SF::kRecordSizeOffset, 2) == SF::kRecordSize;
}

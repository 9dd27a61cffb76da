#pragma once
// What stands on a tape this program formats: an ident block and a filemark,
// then file records (header block, data blocks, filemark). Writer and reader
// take every offset from here. Numbers are 32-bit little-endian; texts stand
// in fixed fields, NUL-terminated, and readers stop at the field's end.

#include <cstddef>
#include <cstdint>

#include "scsi/BlockLimits.h"

namespace TapeFormat {

// Ident block: the first block of a tape. The same 78 bytes open a
// directory file.
inline constexpr char kMagic[] = "TAPEWREN";
inline constexpr std::size_t kMagicOffset = 0;
inline constexpr std::size_t kMagicWidth = 9;
inline constexpr std::size_t kTapeNameOffset = 9;
inline constexpr std::size_t kTapeNameWidth = 50;  // at most 49 characters
inline constexpr std::size_t kFormatDateOffset = 59;
inline constexpr std::size_t kDateWidth = 11;  // "dd.mm.yyyy" and a NUL
inline constexpr std::size_t kVersionOffset = 70;
inline constexpr std::size_t kVersionWidth = 8;
inline constexpr std::size_t kIdentSize = 78;
inline constexpr std::size_t kMaxTapeNameLength = kTapeNameWidth - 1;

// File header: the first block of a file record.
inline constexpr std::size_t kTypeOffset = 0;
inline constexpr std::size_t kFileNameOffset = 1;
inline constexpr std::size_t kFileNameWidth = 256;
// A name must also fit a catalog entry, whose name field is one byte shorter
// than the header's: at most 254 bytes.
inline constexpr std::size_t kMaxFileNameLength = kFileNameWidth - 2;
inline constexpr std::size_t kModDateOffset = 257;
inline constexpr std::size_t kBackupDateOffset = 268;
inline constexpr std::size_t kSizeOffset = 279;
inline constexpr std::size_t kBlockCountOffset = 283;
inline constexpr std::size_t kHeaderSize = 287;

// Record types in byte 0 of a file header. Only kFileRecord is written;
// 2 is read like 1; anything else is not a header.
inline constexpr std::uint8_t kNoRecord = 0;
inline constexpr std::uint8_t kFileRecord = 1;
inline constexpr std::uint8_t kFileRecordAlt = 2;

// Drive block lengths the program works with; transfers are 64, 10 and 1
// blocks.
inline constexpr int kMaxBlockLength = kMaxDriveBlockLength;
inline constexpr int kBigTransfer = 64;
inline constexpr int kMidTransfer = 10;
// Room for 200 blocks of the largest block length, plus 10 bytes.
inline constexpr std::size_t kBufferSize = 409610;
inline constexpr std::size_t kClearedPrefix = 2048;

// The size field is signed 32-bit: files must be smaller than 2 GiB.
inline constexpr std::int64_t kMaxFileSize = 0x7fffffff;

// Earlier versions of the program take this catalog name as "restore
// whatever record comes next"; no file of this name goes to tape, so that a
// catalog entry can never ask them for that.
inline constexpr char kReservedFileName[] = "@@full**";

static_assert(kMagicOffset + kMagicWidth == kTapeNameOffset);
static_assert(kTapeNameOffset + kTapeNameWidth == kFormatDateOffset);
static_assert(kFormatDateOffset + kDateWidth == kVersionOffset);
static_assert(kVersionOffset + kVersionWidth == kIdentSize);
static_assert(kFileNameOffset + kFileNameWidth == kModDateOffset);
static_assert(kModDateOffset + kDateWidth == kBackupDateOffset);
static_assert(kBackupDateOffset + kDateWidth == kSizeOffset);
static_assert(kBlockCountOffset + 4 == kHeaderSize);
static_assert(kBigTransfer * kMaxBlockLength <= kBufferSize);

}  // namespace TapeFormat

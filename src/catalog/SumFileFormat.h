#pragma once
// The sums file (.tws) beside a directory file (.twd) of the same name:
// what the catalog entry cannot hold about each backed-up file. A 16-byte
// header, then one 64-byte record per catalog entry, record k for entry k.
// Integers are little-endian. A sums file shorter than its catalog, or
// none, leaves the entries past its end "without checksum"; records past
// the catalog's end are ignored and cut off by the next append.
//
// Header: magic "TWSUMS\r\n", version (u16, 1), record size (u16, 64),
// 4 zero bytes.
// Record:
//   0  kind of checksum (u8): 0 none, 1 XXH3-128, 2 SHA-256
//   1  flags (u8): bit 0 set when time, mode and size were taken from the file
//   2  2 zero bytes
//   4  permission bits (u32, 07777)
//   8  size in bytes (i64)
//  16  modification time in nanoseconds since 1970-01-01 UTC (i64)
//  24  checksum (32 bytes; XXH3-128 takes the first 16 in its canonical
//      big-endian form, zeros after)
//  56  XXH3-64 of the entry's name (u64): a record whose name, size or day
//      does not agree with its entry (a catalog rewritten without its sums
//      file) is not used
// An all-zero record is an entry without checksum.

#include <cstddef>
#include <cstdint>

namespace SumFileFormat {

inline constexpr char kMagic[8] = {'T', 'W', 'S', 'U', 'M', 'S', '\r', '\n'};
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kVersionOffset = 8;
inline constexpr std::size_t kRecordSizeOffset = 10;

inline constexpr std::size_t kRecordSize = 64;
inline constexpr std::size_t kKindOffset = 0;
inline constexpr std::size_t kFlagsOffset = 1;
inline constexpr std::size_t kModeOffset = 4;
inline constexpr std::size_t kSizeOffset = 8;
inline constexpr std::size_t kTimeOffset = 16;
inline constexpr std::size_t kSumOffset = 24;
inline constexpr std::size_t kSumWidth = 32;
inline constexpr std::size_t kNameHashOffset = 56;

inline constexpr std::uint8_t kFactsKnown = 1;

inline constexpr char kExtension[] = ".tws";

static_assert(kSumOffset + kSumWidth == kNameHashOffset);
static_assert(kNameHashOffset + 8 == kRecordSize);

}  // namespace SumFileFormat

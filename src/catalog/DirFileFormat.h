#pragma once
// A directory file (.twd): the first 78 bytes of the tape's ident block, then
// one 286-byte entry per file record on tape, in tape order. No count, no
// index, no trailer. An entry holds the fields of the tape's file header, but
// its name field is one byte shorter, so every later field lies one earlier.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tape/TapeFormat.h"

namespace DirFileFormat {

// The header is the ident block's layout.
inline constexpr std::size_t kHeaderSize = TapeFormat::kIdentSize;

inline constexpr std::size_t kTypeOffset = 0;
inline constexpr std::size_t kNameOffset = 1;
inline constexpr std::size_t kNameWidth = TapeFormat::kFileNameWidth - 1;  // at most 254 characters
inline constexpr std::size_t kFileDateOffset = 256;
inline constexpr std::size_t kBackupDateOffset = 267;
inline constexpr std::size_t kDateWidth = TapeFormat::kDateWidth;
inline constexpr std::size_t kSizeOffset = 278;
inline constexpr std::size_t kBlockCountOffset = 282;
inline constexpr std::size_t kEntrySize = 286;
inline constexpr std::size_t kMaxNameLength = kNameWidth - 1;

// Readers take 1 and 2 as entries; any other type byte ends the list.
inline constexpr std::uint8_t kEntry = 1;
inline constexpr std::uint8_t kEntryAlt = 2;

inline constexpr bool IsEntryType(std::uint8_t type) { return type == kEntry || type == kEntryAlt; }

inline constexpr int kMaxEntries = 999;

// The entry that keeps the place of a file record whose header could not be
// read or used when the catalog was made from the tape, so that every later
// entry still names the record after its own filemark. No file can carry
// this name (it holds "/"), so no restore or verify takes it for one; its
// dates are empty, its size and block count 0.
inline constexpr char kDamagedRecordName[] = "/damaged file record/";

inline bool IsDamagedEntry(std::string_view name) { return name == kDamagedRecordName; }

inline constexpr char kExtension[] = ".twd";

static_assert(kNameOffset + kNameWidth == kFileDateOffset);
static_assert(kFileDateOffset + kDateWidth == kBackupDateOffset);
static_assert(kBackupDateOffset + kDateWidth == kSizeOffset);
static_assert(kBlockCountOffset + 4 == kEntrySize);
static_assert(TapeFormat::kModDateOffset - kFileDateOffset == 1);
static_assert(kMaxNameLength == TapeFormat::kMaxFileNameLength);

}  // namespace DirFileFormat

#pragma once
// What a backup learns of a file beyond its record's header, kept beside
// the catalog: the checksum of the data it wrote, the exact modification
// time, the permission bits and the size.

#include <cstddef>
#include <cstdint>
#include <cstring>

enum class SumKind : std::uint8_t {
    None = 0,      // no checksum
    Xxh3_128 = 1,  // XXH3 128-bit, its canonical (big-endian) bytes
    Sha256 = 2,    // SHA-256
};

inline constexpr std::size_t kMaxDigestSize = 32;

inline constexpr std::size_t DigestSize(SumKind kind) {
    return kind == SumKind::Xxh3_128 ? 16 : kind == SumKind::Sha256 ? 32 : 0;
}

struct Digest {
    SumKind kind = SumKind::None;
    std::uint8_t bytes[kMaxDigestSize] = {};

    bool Present() const { return kind != SumKind::None; }
    bool operator==(const Digest& other) const {
        return kind == other.kind && std::memcmp(bytes, other.bytes, kMaxDigestSize) == 0;
    }
};

struct FileFacts {
    bool known = false;             // time, mode and size below were taken from the file
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;    // since the epoch
    std::uint32_t mode = 0;         // permission bits (07777)
    Digest digest;                  // of the data as written to tape
};

#pragma once
// One entry of a cartridge's index: objects of the same kind and length that
// lie back to back in the image file, so the n-th of them starts at
// offset + n * stride. Fixed-block files become one run per file.

#include <cstdint>

enum class RunKind : std::uint8_t {
    Data,      // readable records
    BadData,   // records flagged as unreliable by the image (read gives MEDIUM ERROR)
    Filemark,
    // Bytes between two objects that cannot be framed: count 1, stride their
    // length, segment the AWS prev_len of the object after them, length how
    // far past its offset the bytes go that framing tried there looked at
    // (or needed, beyond the end of the file). Read and SPACE BLOCKS stop at
    // it; SPACE FILEMARKS passes it.
    Damage,
    // Unreadable framing with nothing beyond it the drive can find (an I/O
    // error, or no object within the search reach): always the last run,
    // count 1, stride 0.
    Wall,
};

struct TapeRun {
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
    std::uint32_t stride = 0;   // bytes one object takes in the file, framing included
    std::uint32_t length = 0;   // data bytes of one record; 0 for filemarks; damage: see above
    std::uint32_t segment = 0;  // AWS: data bytes of every segment but the last
    RunKind kind = RunKind::Data;

    std::uint64_t End() const { return offset + count * stride; }
    bool IsRecord() const { return kind == RunKind::Data || kind == RunKind::BadData; }
    bool IsDamaged() const { return kind == RunKind::Damage || kind == RunKind::Wall; }
};

#pragma once
// One entry of a cartridge's index: objects of the same kind and length that
// lie back to back in the image file, so the n-th of them starts at
// offset + n * stride. Fixed-block files become one run per file.

#include <cstdint>

enum class RunKind : std::uint8_t {
    Data,      // readable records
    BadData,   // records flagged as unreliable by the image (read gives MEDIUM ERROR)
    Filemark,
    Damage,    // unreadable framing; always the last run, count 1, stride 0
};

struct TapeRun {
    std::uint64_t offset = 0;
    std::uint64_t count = 0;
    std::uint32_t stride = 0;   // bytes one object takes in the file, framing included
    std::uint32_t length = 0;   // data bytes of one record; 0 for filemarks and damage
    std::uint32_t segment = 0;  // AWS: data bytes of every segment but the last
    RunKind kind = RunKind::Data;

    std::uint64_t End() const { return offset + count * stride; }
    bool IsRecord() const { return kind == RunKind::Data || kind == RunKind::BadData; }
};

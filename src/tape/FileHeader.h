#pragma once
// The file header block that opens each file record (layout in
// TapeFormat.h): its fields, and the one encoder and decoder of the block.

#include <cstddef>
#include <cstdint>
#include <string>

struct FileHeader {
    std::string name;
    std::string modificationDate;
    std::string backupDate;
    std::int32_t size = 0;
    std::int32_t blockCount = 0;
};

// Into a block of blockLength bytes (at least the header's 287): record
// type 1, the fields, zeros everywhere else. The texts must fit their fields.
void EncodeFileHeader(const FileHeader& header, std::uint8_t* block, std::size_t blockLength);

// The record type (byte 0) of a header block, and its fields decoded (texts
// up to their NUL or the field's end, numbers as stored). Readers take types
// 1 and 2 as file records; 0 and any other value mean no header.
std::uint8_t DecodeFileHeader(const std::uint8_t* block, FileHeader& header);

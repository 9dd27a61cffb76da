#pragma once
// The ident block at the start of a tape, whose first 78 bytes also open a
// directory file (layout in TapeFormat.h): its fields, and the one encoder
// and decoder of those bytes.

#include <cstddef>
#include <cstdint>
#include <string>

struct IdentBlock {
    std::string tapeName;
    std::string formatDate;
    std::string version;
};

// Into length bytes (at least the 78 defined ones): the magic, the fields,
// zeros everywhere else. The texts must fit their fields.
void EncodeIdentBlock(const IdentBlock& ident, std::uint8_t* block, std::size_t length);

// False, fields untouched, when the bytes do not begin with the magic and
// its NUL; else the fields (texts up to their NUL or the field's end).
bool DecodeIdentBlock(const std::uint8_t* block, IdentBlock& ident);
// Whether the first 9 bytes hold the magic and its NUL.
bool HasIdentMagic(const std::uint8_t* block);

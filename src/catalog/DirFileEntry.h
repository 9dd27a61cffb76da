#pragma once
// One catalog entry (layout in DirFileFormat.h): the fields of the file
// header of its record, and the one encoder and decoder of its 286 bytes.

#include <cstdint>

#include "tape/FileHeader.h"

// Type 1 and the fields, zeros after each text. -1 when a text does not fit
// its field with its NUL (a name of more than 254 bytes).
int EncodeDirFileEntry(const FileHeader& fields, std::uint8_t* entry);

// The entry's type byte (readers take 1 and 2 as entries), and its fields.
std::uint8_t DecodeDirFileEntry(const std::uint8_t* entry, FileHeader& fields);

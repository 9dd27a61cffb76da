#pragma once
// One record of a sums file (layout in SumFileFormat.h) and the one encoder
// and decoder of its 64 bytes and of the file's header.

#include <cstdint>
#include <string_view>

#include "tape/FileFacts.h"

struct SumRecord {
    FileFacts facts;
    std::uint64_t nameHash = 0;
};

// The hash of an entry's name that its record carries.
std::uint64_t SumNameHash(std::string_view name);

void EncodeSumRecord(const SumRecord& record, std::uint8_t* bytes);
// A record of an unknown kind of checksum reads as one without checksum.
void DecodeSumRecord(const std::uint8_t* bytes, SumRecord& record);

void EncodeSumHeader(std::uint8_t* bytes);
// Whether the header is one this program reads.
bool DecodeSumHeader(const std::uint8_t* bytes);

#pragma once
// How many bytes of a READ(6) that ended in CHECK CONDITION are real data,
// from the sense data's INFORMATION field (the residue: blocks in fixed mode,
// bytes in variable mode). The transport's own residual cannot be trusted:
// some targets send the whole transfer length, stale bytes included.

#include <cstddef>
#include <cstdint>

#include "aspi/CdbTransfer.h"

namespace ReadDataCount {

// For any command other than READ(6) the whole transfer counts.
std::size_t ValidBytes(const CdbTransfer& transfer, const std::uint8_t* sense, std::size_t senseLength);

}  // namespace ReadDataCount

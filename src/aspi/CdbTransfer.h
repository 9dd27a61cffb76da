#pragma once
// What a host adapter actually puts on the wire for one request. Some callers
// hand over a data buffer that differs from the length the CDB declares (an
// INQUIRY asking for 96 bytes into a 32-byte buffer, a MODE SELECT list of 12
// bytes in a 32-byte buffer). A real transport must never let a device send
// more than the buffer holds, nor send a device more than it asked for, so the
// byte-counted six-byte commands are shaped to agree with their buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "aspi/ScsiExec.h"

struct CdbTransfer {
    std::array<std::uint8_t, 16> cdb{};
    std::size_t cdbLength = 0;
    DataDirection direction = DataDirection::None;
    std::size_t dataLength = 0;

    static CdbTransfer Shape(std::span<const std::uint8_t> cdb, DataDirection direction, std::size_t bufferLength);
};

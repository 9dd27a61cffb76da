#include "aspi/CdbTransfer.h"

#include <algorithm>
#include <cstring>

#include "aspi/ScsiOpcodes.h"

CdbTransfer CdbTransfer::Shape(std::span<const std::uint8_t> cdb, DataDirection direction, std::size_t bufferLength) {
    CdbTransfer t;
    t.cdbLength = std::min(cdb.size(), t.cdb.size());
    std::memcpy(t.cdb.data(), cdb.data(), t.cdbLength);
    t.direction = bufferLength == 0 ? DataDirection::None : direction;
    t.dataLength = t.direction == DataDirection::None ? 0 : bufferLength;
    if (t.cdbLength < 6 || t.direction == DataDirection::None) return t;

    const std::uint8_t op = t.cdb[0];
    if (t.direction == DataDirection::In && op == ScsiOp::Inquiry) {
        // Allocation length is bytes 3 and 4.
        const std::size_t allocation = (std::size_t{t.cdb[3]} << 8) | t.cdb[4];
        const std::size_t length = std::min(allocation, bufferLength);
        t.cdb[3] = static_cast<std::uint8_t>(length >> 8);
        t.cdb[4] = static_cast<std::uint8_t>(length);
        t.dataLength = length;
    } else if (t.direction == DataDirection::In && (op == ScsiOp::ModeSense6 || op == ScsiOp::RequestSense)) {
        const std::size_t length = std::min<std::size_t>(t.cdb[4], bufferLength);
        t.cdb[4] = static_cast<std::uint8_t>(length);
        t.dataLength = length;
    } else if (t.direction == DataDirection::Out && op == ScsiOp::ModeSelect6) {
        t.dataLength = std::min<std::size_t>(t.cdb[4], bufferLength);
    }
    if (t.dataLength == 0) t.direction = DataDirection::None;
    return t;
}

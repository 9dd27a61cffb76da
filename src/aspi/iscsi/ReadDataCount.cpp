#include "aspi/iscsi/ReadDataCount.h"

#include <algorithm>

#include "aspi/ScsiOpcodes.h"

namespace ReadDataCount {

std::size_t ValidBytes(const CdbTransfer& transfer, const std::uint8_t* sense, std::size_t senseLength) {
    if (transfer.cdbLength < 6 || transfer.cdb[0] != ScsiOp::Read6) return transfer.dataLength;
    const bool valid = senseLength >= 7 && (sense[0] & 0x80) != 0;
    if (!valid) return 0;
    const auto info = static_cast<std::int32_t>((std::uint32_t{sense[3]} << 24) | (std::uint32_t{sense[4]} << 16) |
                                                (std::uint32_t{sense[5]} << 8) | sense[6]);
    const std::int64_t requested = (std::int64_t{transfer.cdb[2]} << 16) | (transfer.cdb[3] << 8) | transfer.cdb[4];
    const auto length = static_cast<std::int64_t>(transfer.dataLength);
    std::int64_t bytes = 0;
    if (transfer.cdb[1] & 0x01) {
        if (requested == 0) return 0;
        const std::int64_t blocks = std::clamp<std::int64_t>(requested - info, 0, requested);
        bytes = blocks * (length / requested);
    } else {
        // A negative residue is an overlength block: the request was filled.
        bytes = info < 0 ? requested : requested - info;
    }
    return static_cast<std::size_t>(std::clamp<std::int64_t>(bytes, 0, length));
}

}  // namespace ReadDataCount

#include "aspi/iscsi/ModeSenseMemory.h"

#include <algorithm>
#include <cstring>

#include "aspi/iscsi/TapeOpcodes.h"

using namespace TapeOpcodes;

namespace {

bool LeavesModeDataAlone(std::uint8_t opcode) {
    switch (opcode) {
    case ScsiOp::TestUnitReady:
    case ScsiOp::Rewind:
    case ScsiOp::RequestSense:
    case ScsiOp::ReadBlockLimits:
    case ScsiOp::Read6:
    case ScsiOp::Write6:
    case ScsiOp::WriteFilemarks:
    case ScsiOp::Space:
    case ScsiOp::Inquiry:
    case ScsiOp::ModeSense6:
    case ScsiOp::ReadPosition:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool ModeSenseMemory::Answer(const CdbTransfer& transfer, unsigned session, std::uint8_t* data) const {
    if (!known_ || session != session_ || transfer.cdbLength == 0 || transfer.cdb[0] != ScsiOp::ModeSense6 ||
        transfer.direction != DataDirection::In || transfer.cdb != cdb_ || transfer.dataLength != length_)
        return false;
    std::memcpy(data, data_.data(), bytes_);
    return true;
}

bool ModeSenseMemory::SaysWritable(unsigned session) const {
    constexpr std::uint8_t kWriteProtected = 0x80;
    return known_ && session == session_ && bytes_ >= 3 && (data_[2] & kWriteProtected) == 0;
}

void ModeSenseMemory::Sending(const CdbTransfer& transfer) {
    const std::uint8_t opcode = transfer.cdbLength > 0 ? transfer.cdb[0] : 0xFF;
    if (!LeavesModeDataAlone(opcode)) known_ = false;
    if (Positions(opcode)) {
        positioned_ = true;
    } else if (MovesBlocks(opcode) && positioned_) {
        positioned_ = false;
        known_ = false;
    }
}

void ModeSenseMemory::Answered(const CdbTransfer& transfer, const IscsiOutcome& outcome, unsigned session,
                               const std::uint8_t* data) {
    if (outcome.kind != IscsiOutcome::Kind::Good) {
        known_ = false;
        return;
    }
    if (transfer.cdb[0] != ScsiOp::ModeSense6 || transfer.direction != DataDirection::In || transfer.dataLength > data_.size())
        return;
    known_ = true;
    session_ = session;
    cdb_ = transfer.cdb;
    length_ = transfer.dataLength;
    bytes_ = std::min(outcome.transferred, transfer.dataLength);
    std::memcpy(data_.data(), data, bytes_);
}

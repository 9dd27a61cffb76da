#pragma once
// The kinds of command the iSCSI adapter treats specially.

#include <cstdint>

#include "aspi/ScsiOpcodes.h"

namespace TapeOpcodes {

// Commands after which the tape stands somewhere new.
inline bool Positions(std::uint8_t opcode) {
    return opcode == ScsiOp::Rewind || opcode == ScsiOp::Space || opcode == ScsiOp::LoadUnload ||
           opcode == ScsiOp::Locate10 || opcode == ScsiOp::Locate16;
}

// Commands whose blocks follow from the block length MODE SENSE reports.
inline bool MovesBlocks(std::uint8_t opcode) {
    return opcode == ScsiOp::Read6 || opcode == ScsiOp::Write6 || opcode == ScsiOp::WriteFilemarks;
}

}  // namespace TapeOpcodes

#include "aspi/CommandTimeLimit.h"

#include <cstdio>

#include "aspi/ScsiOpcodes.h"

namespace CommandTimeLimit {

unsigned For(std::uint8_t opcode) {
    switch (opcode) {
    case ScsiOp::TestUnitReady:
    case ScsiOp::RequestSense:
    case ScsiOp::ReadBlockLimits:
    case ScsiOp::Inquiry:
    case ScsiOp::ModeSelect6:
    case ScsiOp::ModeSense6:
    case ScsiOp::ReadPosition:
        return kStillMs;
    case ScsiOp::Read6:
    case ScsiOp::Write6:
    case ScsiOp::WriteFilemarks:
        return kTransferMs;
    default:
        // REWIND, SPACE, LOAD/UNLOAD, LOCATE and anything unknown.
        return kPositioningMs;
    }
}

std::string CommandName(std::uint8_t opcode) {
    switch (opcode) {
    case ScsiOp::TestUnitReady: return "TEST UNIT READY";
    case ScsiOp::Rewind: return "REWIND";
    case ScsiOp::RequestSense: return "REQUEST SENSE";
    case ScsiOp::ReadBlockLimits: return "READ BLOCK LIMITS";
    case ScsiOp::Read6: return "READ";
    case ScsiOp::Write6: return "WRITE";
    case ScsiOp::WriteFilemarks: return "WRITE FILEMARKS";
    case ScsiOp::Space: return "SPACE";
    case ScsiOp::Inquiry: return "INQUIRY";
    case ScsiOp::ModeSelect6: return "MODE SELECT";
    case ScsiOp::ModeSense6: return "MODE SENSE";
    case ScsiOp::LoadUnload: return "LOAD/UNLOAD";
    case ScsiOp::Locate10:
    case ScsiOp::Locate16: return "LOCATE";
    case ScsiOp::ReadPosition: return "READ POSITION";
    default: {
        char text[16];
        std::snprintf(text, sizeof text, "command %02Xh", opcode);
        return text;
    }
    }
}

std::string InWords(unsigned ms) {
    const unsigned minutes = ms / 60000u;
    if (minutes >= 60 && minutes % 60 == 0) {
        const unsigned hours = minutes / 60;
        return std::to_string(hours) + (hours == 1 ? " hour" : " hours");
    }
    if (minutes >= 1) return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
    const unsigned seconds = ms / 1000u;
    return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace CommandTimeLimit

#pragma once
// The operation codes the iSCSI adapter treats specially.

#include <cstdint>

namespace TapeOpcodes {

inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRewind = 0x01;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kReadBlockLimits = 0x05;
inline constexpr std::uint8_t kRead6 = 0x08;
inline constexpr std::uint8_t kWrite6 = 0x0A;
inline constexpr std::uint8_t kWriteFilemarks = 0x10;
inline constexpr std::uint8_t kSpace = 0x11;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kModeSelect6 = 0x15;
inline constexpr std::uint8_t kModeSense6 = 0x1A;
inline constexpr std::uint8_t kLoadUnload = 0x1B;
inline constexpr std::uint8_t kLocate10 = 0x2B;
inline constexpr std::uint8_t kReadPosition = 0x34;
inline constexpr std::uint8_t kLocate16 = 0x92;

// Commands after which the tape stands somewhere new.
inline bool Positions(std::uint8_t opcode) {
    return opcode == kRewind || opcode == kSpace || opcode == kLoadUnload || opcode == kLocate10 ||
           opcode == kLocate16;
}

// Commands whose blocks follow from the block length MODE SENSE reports.
inline bool MovesBlocks(std::uint8_t opcode) {
    return opcode == kRead6 || opcode == kWrite6 || opcode == kWriteFilemarks;
}

}  // namespace TapeOpcodes

#pragma once
// Operation codes (byte 0 of a CDB) of the SCSI commands the program sends
// to a tape drive and the stand-in's adapters look at or answer.

#include <cstdint>

namespace ScsiOp {

inline constexpr std::uint8_t TestUnitReady = 0x00;
inline constexpr std::uint8_t Rewind = 0x01;
inline constexpr std::uint8_t RequestSense = 0x03;
inline constexpr std::uint8_t ReadBlockLimits = 0x05;
inline constexpr std::uint8_t Read6 = 0x08;
inline constexpr std::uint8_t Write6 = 0x0A;
inline constexpr std::uint8_t WriteFilemarks = 0x10;
inline constexpr std::uint8_t Space = 0x11;
inline constexpr std::uint8_t Inquiry = 0x12;
inline constexpr std::uint8_t ModeSelect6 = 0x15;
inline constexpr std::uint8_t ModeSense6 = 0x1A;
inline constexpr std::uint8_t LoadUnload = 0x1B;
// Not sent by the program; an adapter must still know that they move the tape.
inline constexpr std::uint8_t Locate10 = 0x2B;
inline constexpr std::uint8_t ReadPosition = 0x34;
inline constexpr std::uint8_t Locate16 = 0x92;

}  // namespace ScsiOp

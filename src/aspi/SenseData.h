#pragma once
// Fixed-format sense data (response code 0x70) as tape drives return it:
// where the sense key, its flags and the additional sense code sit, and the
// keys the program tells apart. The virtual drive builds such data; the
// device layer and the command line read it.

#include <cstddef>
#include <cstdint>

namespace SenseKey {
inline constexpr std::uint8_t NoSense = 0x0;
inline constexpr std::uint8_t NotReady = 0x2;
inline constexpr std::uint8_t MediumError = 0x3;
inline constexpr std::uint8_t HardwareError = 0x4;
inline constexpr std::uint8_t IllegalRequest = 0x5;
inline constexpr std::uint8_t UnitAttention = 0x6;
inline constexpr std::uint8_t DataProtect = 0x7;
inline constexpr std::uint8_t BlankCheck = 0x8;
inline constexpr std::uint8_t VolumeOverflow = 0xD;
}  // namespace SenseKey

namespace SenseData {
inline constexpr std::size_t kFlagsAndKey = 2;
inline constexpr std::size_t kAsc = 12;
inline constexpr std::size_t kAscq = 13;
// Flags in the byte of the sense key.
inline constexpr std::uint8_t kFilemark = 0x80;
inline constexpr std::uint8_t kEndOfMedium = 0x40;
inline constexpr std::uint8_t kIncorrectLength = 0x20;

inline constexpr std::uint8_t Key(const std::uint8_t* sense) { return sense[kFlagsAndKey] & 0x0F; }
}  // namespace SenseData

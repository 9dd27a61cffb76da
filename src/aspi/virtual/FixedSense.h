#pragma once
// Fixed-format sense data (response code 0x70), 18 bytes.

#include <array>
#include <cstdint>
#include <span>

namespace SenseKey {
inline constexpr std::uint8_t NoSense = 0x0;
inline constexpr std::uint8_t NotReady = 0x2;
inline constexpr std::uint8_t MediumError = 0x3;
inline constexpr std::uint8_t IllegalRequest = 0x5;
inline constexpr std::uint8_t DataProtect = 0x7;
inline constexpr std::uint8_t BlankCheck = 0x8;
inline constexpr std::uint8_t VolumeOverflow = 0xD;
}  // namespace SenseKey

class FixedSense {
public:
    static constexpr std::size_t kLength = 18;

    FixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq);

    // Sets VALID and the INFORMATION field (a residue, two's complement when
    // negative).
    FixedSense& Information(std::int64_t value);
    FixedSense& Filemark();
    FixedSense& EndOfMedium();
    FixedSense& IncorrectLength();

    std::span<const std::uint8_t> Bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, kLength> bytes_{};
};

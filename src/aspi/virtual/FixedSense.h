#pragma once
// Fixed-format sense data (response code 0x70, or 0x71 for a deferred
// error), 18 bytes.

#include <array>
#include <cstdint>
#include <span>

#include "aspi/SenseData.h"

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
    // The error belongs to an earlier command (response code 0x71).
    FixedSense& Deferred();

    std::span<const std::uint8_t> Bytes() const { return bytes_; }

private:
    std::array<std::uint8_t, kLength> bytes_{};
};

#include "aspi/virtual/FixedSense.h"

FixedSense::FixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq) {
    bytes_[0] = 0x70;
    bytes_[SenseData::kFlagsAndKey] = key & 0x0F;
    bytes_[7] = kLength - 8;
    bytes_[SenseData::kAsc] = asc;
    bytes_[SenseData::kAscq] = ascq;
}

FixedSense& FixedSense::Information(std::int64_t value) {
    const auto word = static_cast<std::uint32_t>(value);
    bytes_[0] |= 0x80;
    for (int i = 0; i < 4; ++i) bytes_[3 + i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
    return *this;
}

FixedSense& FixedSense::Filemark() {
    bytes_[SenseData::kFlagsAndKey] |= SenseData::kFilemark;
    return *this;
}

FixedSense& FixedSense::EndOfMedium() {
    bytes_[SenseData::kFlagsAndKey] |= SenseData::kEndOfMedium;
    return *this;
}

FixedSense& FixedSense::IncorrectLength() {
    bytes_[SenseData::kFlagsAndKey] |= SenseData::kIncorrectLength;
    return *this;
}

FixedSense& FixedSense::Deferred() {
    bytes_[0] = static_cast<std::uint8_t>((bytes_[0] & 0x80) | 0x71);
    return *this;
}

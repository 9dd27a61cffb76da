#pragma once
// Reading and filling the fields of CDBs, parameter lists and returned data.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "aspi/ScsiExec.h"

namespace CdbFields {

inline std::uint32_t Be24(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}

inline void PutBe24(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 16);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v);
}

inline void PutBe32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    PutBe24(p + 1, v);
}

// The 24-bit SPACE count is two's complement.
inline std::int64_t SignedBe24(const std::uint8_t* p) {
    const std::uint32_t v = Be24(p);
    return (v & 0x800000) ? static_cast<std::int64_t>(v) - 0x1000000 : static_cast<std::int64_t>(v);
}

// Data to the host: no more than the data, the allocation length and the
// request's buffer allow.
inline void CopyOut(ScsiExec& exec, const std::uint8_t* data, std::size_t length, std::size_t allocation) {
    const std::span<std::uint8_t> buffer = exec.Data();
    const std::size_t n = std::min({length, allocation, buffer.size()});
    if (n > 0) std::memcpy(buffer.data(), data, n);
}

inline void PutText(std::uint8_t* field, std::size_t size, const char* text) {
    std::memset(field, ' ', size);
    std::memcpy(field, text, std::min(size, std::strlen(text)));
}

}  // namespace CdbFields

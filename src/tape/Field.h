#pragma once
// Reading and writing the fixed fields of on-tape and on-disk records: texts
// NUL-terminated within their width, integers 32-bit little-endian.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace Field {

// Copies text and its NUL; the caller has made sure it fits (length < width).
// Bytes after the NUL keep what they held.
inline void PutText(std::uint8_t* record, std::size_t offset, std::string_view text) {
    std::memcpy(record + offset, text.data(), text.size());
    record[offset + text.size()] = 0;
}

// As PutText, and fills the rest of the field with zeros.
inline void PutTextPadded(std::uint8_t* record, std::size_t offset, std::size_t width, std::string_view text) {
    std::memset(record + offset, 0, width);
    std::memcpy(record + offset, text.data(), text.size());
}

// The text up to its first NUL, or the whole field if it has none.
inline void GetText(const std::uint8_t* record, std::size_t offset, std::size_t width, std::string& out) {
    const auto* begin = reinterpret_cast<const char*>(record + offset);
    const void* nul = std::memchr(begin, 0, width);
    const std::size_t length = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : width;
    out.assign(begin, length);
}

inline void PutInt32(std::uint8_t* record, std::size_t offset, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    record[offset] = static_cast<std::uint8_t>(v);
    record[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    record[offset + 2] = static_cast<std::uint8_t>(v >> 16);
    record[offset + 3] = static_cast<std::uint8_t>(v >> 24);
}

inline std::int32_t GetInt32(const std::uint8_t* record, std::size_t offset) {
    const std::uint32_t v = static_cast<std::uint32_t>(record[offset]) |
                            static_cast<std::uint32_t>(record[offset + 1]) << 8 |
                            static_cast<std::uint32_t>(record[offset + 2]) << 16 |
                            static_cast<std::uint32_t>(record[offset + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

}  // namespace Field

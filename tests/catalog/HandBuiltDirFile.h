#pragma once
// Directory files put together byte by byte from the documented offsets,
// written out as literal numbers on purpose: they check the layout header,
// so they must not be derived from it.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace HandBuilt {

inline void Text(std::vector<std::uint8_t>& b, std::size_t at, const std::string& s) {
    std::memcpy(b.data() + at, s.data(), s.size());
}

inline void Le32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// 78 bytes: magic @0 (9), name @9 (50), date @59 (11), version @70 (8).
inline std::vector<std::uint8_t> Header(const std::string& name, const std::string& date, const std::string& version,
                                        const std::string& magic = "TAPEWREN") {
    std::vector<std::uint8_t> b(78, 0);
    Text(b, 0, magic);
    Text(b, 9, name);
    Text(b, 59, date);
    Text(b, 70, version);
    return b;
}

// 286 bytes: type @0, name @1 (255), file date @256, backup date @267,
// size @278, block count @282.
inline std::vector<std::uint8_t> Entry(std::uint8_t type, const std::string& name, const std::string& fileDate,
                                       const std::string& backupDate, std::uint32_t size, std::uint32_t blocks) {
    std::vector<std::uint8_t> b(286, 0);
    b[0] = type;
    Text(b, 1, name);
    Text(b, 256, fileDate);
    Text(b, 267, backupDate);
    Le32(b, 278, size);
    Le32(b, 282, blocks);
    return b;
}

inline void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& more) {
    to.insert(to.end(), more.begin(), more.end());
}

}  // namespace HandBuilt

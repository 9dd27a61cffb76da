#pragma once
// Ident blocks and file headers put together byte by byte from the documented
// offsets, written as literal numbers on purpose: they check the layout
// header, so they must not come from it.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace HandBuilt {

inline void Text(std::vector<std::uint8_t>& b, std::size_t at, const std::string& s) {
    std::memcpy(b.data() + at, s.data(), s.size());
    b[at + s.size()] = 0;
}

inline void Le32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// magic @0 (9), name @9 (50), date @59 (11), version @70 (8).
inline std::vector<std::uint8_t> Ident(std::size_t blockLength, const std::string& name, const std::string& date,
                                       const std::string& version, const std::string& magic = "TAPEWREN") {
    std::vector<std::uint8_t> b(blockLength, 0);
    Text(b, 0, magic);
    Text(b, 9, name);
    Text(b, 59, date);
    Text(b, 70, version);
    return b;
}

// type @0, name @1 (256), modification date @257, backup date @268,
// size @279, block count @283.
inline std::vector<std::uint8_t> Header(std::size_t blockLength, std::uint8_t type, const std::string& name,
                                        const std::string& modified, const std::string& backedUp, std::uint32_t size,
                                        std::uint32_t blocks, std::uint8_t fill = 0) {
    std::vector<std::uint8_t> b(blockLength, fill);
    b[0] = type;
    Text(b, 1, name);
    Text(b, 257, modified);
    Text(b, 268, backedUp);
    Le32(b, 279, size);
    Le32(b, 283, blocks);
    return b;
}

}  // namespace HandBuilt

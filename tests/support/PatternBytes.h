#pragma once
// Test file contents that differ from seed to seed and from block to block,
// the same on every run.

#include <cstddef>
#include <cstdint>

// xorshift32 bytes into any container of byte-sized values (std::string,
// std::vector<char>, std::vector<std::uint8_t>). The salt keeps the streams
// of different suites apart.
template <class Container>
Container PatternBytes(std::size_t size, std::uint32_t seed, std::uint32_t salt) {
    Container bytes(size, 0);
    std::uint32_t x = seed * 2654435761u + salt;
    for (auto& byte : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte = static_cast<typename Container::value_type>(x);
    }
    return bytes;
}

#pragma once
// Picks the "Click!" text: a linear congruential generator (state * 214013
// + 2531011 mod 2^32, r = bits 16..30) seeded with the time in seconds when
// the main window starts, and an index of r / 32767 * 51.49 (0..51; 51 only
// for r >= 32456).

#include <cstdint>

class ClickGenerator {
public:
    explicit ClickGenerator(std::uint32_t seed) : state_(seed) {}

    void Seed(std::uint32_t seed) { state_ = seed; }
    // Next random number, 0..32767.
    int NextRandom();
    // Next text index, 0..51.
    int NextIndex() { return IndexFor(NextRandom()); }
    static int IndexFor(int r);

private:
    std::uint32_t state_;
};

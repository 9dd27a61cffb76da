#pragma once
// Builds image files byte by byte, independently of the drive's own writer,
// so tests can lay out exactly the framing (and the damage) they need.

#include <cstdint>
#include <vector>

class ImageBuilder {
public:
    std::vector<std::uint8_t> bytes;

    ImageBuilder& Word32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(std::uint8_t(v >> (8 * i)));
        return *this;
    }
    ImageBuilder& Raw(const std::vector<std::uint8_t>& data) {
        bytes.insert(bytes.end(), data.begin(), data.end());
        return *this;
    }
    // SIMH: word, data, pad to even, word.
    ImageBuilder& SimhRecord(const std::vector<std::uint8_t>& data, std::uint32_t classBits = 0) {
        const std::uint32_t word = (classBits << 28) | std::uint32_t(data.size());
        Word32(word).Raw(data);
        if (data.size() & 1) bytes.push_back(0);
        return Word32(word);
    }
    ImageBuilder& SimhTapeMark() { return Word32(0); }
    // AWS: one header.
    ImageBuilder& AwsHeader(std::uint16_t current, std::uint16_t previous, std::uint8_t flags1, std::uint8_t flags2 = 0) {
        bytes.push_back(std::uint8_t(current));
        bytes.push_back(std::uint8_t(current >> 8));
        bytes.push_back(std::uint8_t(previous));
        bytes.push_back(std::uint8_t(previous >> 8));
        bytes.push_back(flags1);
        bytes.push_back(flags2);
        return *this;
    }
    // A single-segment block; prev_len tracked by the builder.
    ImageBuilder& AwsRecord(const std::vector<std::uint8_t>& data) {
        AwsHeader(std::uint16_t(data.size()), previous_, 0xA0).Raw(data);
        previous_ = std::uint16_t(data.size());
        return *this;
    }
    ImageBuilder& AwsTapeMark() {
        AwsHeader(0, previous_, 0x40);
        previous_ = 0;
        return *this;
    }

private:
    std::uint16_t previous_ = 0;
};

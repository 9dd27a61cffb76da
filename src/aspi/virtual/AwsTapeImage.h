#pragma once
// AWSTAPE images (.aws): every block is one or more segments, each a 6-byte
// header (cur_len, prev_len, flags) and its data; a tapemark is a bare
// header with flag 0x40. Blocks are written in segments of 65535 bytes with
// prev_len kept exact, the encoding the Hercules tools produce.

#include "aspi/virtual/TapeImage.h"

class AwsTapeImage : public TapeImage {
public:
    static constexpr std::uint32_t kChunk = 65535;
    static constexpr std::uint32_t kHeader = 6;
    // Enough for the largest block in 65535-byte chunks.
    static constexpr std::uint32_t kMaxSegments = 257;

    void Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) override;
    std::uint32_t RecordBytes(std::uint32_t length) const override;
    std::uint32_t WriteSegment(std::uint32_t length) const override { return length < kChunk ? length : kChunk; }
    std::uint32_t FilemarkBytes() const override { return kHeader; }
    long long ReadRecords(ImageWindow& window, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                          std::uint8_t* out, std::uint32_t take, std::uint32_t previousSegment) override;
    bool WriteRecords(ImageWindow& window, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                      const std::uint8_t* data, std::uint32_t previousSegment) override;
    bool WriteFilemarks(ImageWindow& window, std::uint64_t offset, std::uint64_t count,
                        std::uint32_t previousSegment) override;

protected:
    Probe RecordAt(ImageWindow& window, std::uint64_t offset, std::uint32_t& previous, std::uint64_t& reach) override;
    bool FilemarkBefore(ImageWindow& window, std::uint64_t end, std::uint32_t& previous) override;
};

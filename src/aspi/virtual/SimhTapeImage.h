#pragma once
// SIMH magtape images (.tap). Written in the standard format: class-0
// records (length word, data, pad byte to an even length, length word
// again) and tape marks (a zero word). Read in the extended format: erase
// gaps, private and description records are passed over, class 8 records
// are bad data, an end-of-medium word with nothing readable after it ends
// the data.

#include "aspi/virtual/TapeImage.h"

class SimhTapeImage : public TapeImage {
public:
    void Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) override;
    std::uint32_t RecordBytes(std::uint32_t length) const override { return 8 + length + (length & 1); }
    std::uint32_t WriteSegment(std::uint32_t length) const override { return length; }
    std::uint32_t FilemarkBytes() const override { return 4; }
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

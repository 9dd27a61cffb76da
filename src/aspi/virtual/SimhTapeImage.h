#pragma once
// SIMH magtape images (.tap). Written in the standard format: class-0
// records (length word, data, pad byte to an even length, length word
// again) and tape marks (a zero word). Read in the extended format: erase
// gaps, private and description records are passed over, class 8 records
// are bad data, an end-of-medium word ends the data.

#include <sys/uio.h>

#include <array>
#include <vector>

#include "aspi/virtual/TapeImage.h"

class SimhTapeImage : public TapeImage {
public:
    SimhTapeImage();

    void Scan(int fd, std::uint64_t fileSize, TapeIndex& index) override;
    std::uint32_t RecordBytes(std::uint32_t length) const override { return 8 + length + (length & 1); }
    std::uint32_t WriteSegment(std::uint32_t length) const override { return length; }
    std::uint32_t FilemarkBytes() const override { return 4; }
    long long ReadRecords(int fd, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                          std::uint8_t* out, std::uint32_t take, std::uint32_t previousSegment) override;
    bool WriteRecords(int fd, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                      const std::uint8_t* data, std::uint32_t previousSegment) override;
    bool WriteFilemarks(int fd, std::uint64_t offset, std::uint64_t count, std::uint32_t previousSegment) override;

private:
    static constexpr std::size_t kBatch = 256;     // records per system call
    static constexpr std::size_t kMaxIov = 1024;
    static constexpr std::size_t kDiscard = 65536;  // sink for data a short read does not want

    std::array<std::array<std::uint8_t, 4>, kBatch> heads_{};
    std::array<std::array<std::uint8_t, 8>, kBatch> tails_{};  // pad byte and trailing word
    std::array<iovec, kMaxIov> iov_{};
    std::vector<std::uint8_t> discard_;
    std::array<std::uint8_t, 4096> zeros_{};
    static constexpr std::uint32_t kNoLength = 0xFFFFFFFF;
    std::uint32_t framedLength_ = kNoLength;  // the length heads_ and tails_ hold for writing
};

#pragma once
// AWSTAPE images (.aws): every block is one or more segments, each a 6-byte
// header (cur_len, prev_len, flags) and its data; a tapemark is a bare
// header with flag 0x40. Blocks are written in segments of 65535 bytes with
// prev_len kept exact, the encoding the Hercules tools produce.

#include <sys/uio.h>

#include <array>
#include <vector>

#include "aspi/virtual/TapeImage.h"

class AwsTapeImage : public TapeImage {
public:
    static constexpr std::uint32_t kChunk = 65535;

    AwsTapeImage();

    void Scan(int fd, std::uint64_t fileSize, TapeIndex& index) override;
    std::uint32_t RecordBytes(std::uint32_t length) const override;
    std::uint32_t WriteSegment(std::uint32_t length) const override { return length < kChunk ? length : kChunk; }
    std::uint32_t FilemarkBytes() const override { return kHeader; }
    long long ReadRecords(int fd, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                          std::uint8_t* out, std::uint32_t take, std::uint32_t previousSegment) override;
    bool WriteRecords(int fd, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                      const std::uint8_t* data, std::uint32_t previousSegment) override;
    bool WriteFilemarks(int fd, std::uint64_t offset, std::uint64_t count, std::uint32_t previousSegment) override;

private:
    static constexpr std::uint32_t kHeader = 6;
    static constexpr std::size_t kMaxHeaders = 512;  // segments per system call
    static constexpr std::size_t kMaxIov = 1024;
    // Enough for the largest block in 65535-byte chunks; a block is read in
    // one call with up to three iovecs per segment.
    static constexpr std::uint32_t kMaxSegments = 257;

    std::uint8_t* Header(std::size_t i) { return headers_.data() + i * kHeader; }

    std::array<std::uint8_t, kMaxHeaders * kHeader> headers_{};
    std::array<iovec, kMaxIov> iov_{};
    std::vector<std::uint8_t> discard_;
};

#pragma once
// Reads small pieces of an image file during the load scan through one
// buffer, so scanning a tape of small records costs one read per megabyte
// instead of two per record.

#include <cstddef>
#include <cstdint>
#include <vector>

class ScanWindow {
public:
    enum class Result { Ok, PastEnd, IoError };

    ScanWindow(int fd, std::uint64_t fileSize);

    // Copies `length` bytes at `offset` into `out`; PastEnd when the file
    // ends before them.
    Result Read(std::uint64_t offset, void* out, std::size_t length);
    std::uint64_t FileSize() const { return fileSize_; }

private:
    static constexpr std::size_t kWindow = 1 << 20;

    int fd_;
    std::uint64_t fileSize_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
};

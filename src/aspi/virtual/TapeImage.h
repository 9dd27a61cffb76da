#pragma once
// One image file format: how objects are framed in the file. The cartridge
// keeps the index and the position; a format scans, reads and writes runs
// of records and filemarks with as few system calls as the framing allows.
// Formats own fixed scratch space (iovec arrays, header words), so transfers
// allocate nothing.

#include <cstdint>
#include <memory>
#include <string>

#include "aspi/virtual/TapeIndex.h"
#include "aspi/virtual/TapeRun.h"

class TapeImage {
public:
    // The largest record: the 24-bit transfer length of READ(6)/WRITE(6).
    static constexpr std::uint32_t kMaxRecord = 0x00FFFFFF;

    virtual ~TapeImage() = default;

    // The format a file name asks for (".tap" or ".aws"), or nullptr.
    static std::unique_ptr<TapeImage> ForPath(const std::string& path);

    // Builds the index in one pass. A partial object at the end of the file
    // (a write cut short) ends the data before it; damaged framing elsewhere
    // becomes a Damage run.
    virtual void Scan(int fd, std::uint64_t fileSize, TapeIndex& index) = 0;

    // File bytes of one record of `length` as this format writes it.
    virtual std::uint32_t RecordBytes(std::uint32_t length) const = 0;
    // The segment field of runs this format writes.
    virtual std::uint32_t WriteSegment(std::uint32_t length) const = 0;
    virtual std::uint32_t FilemarkBytes() const = 0;

    // Reads records first .. first + count - 1 of `run` and checks their
    // framing; the first `take` data bytes of each go to `out` back to back
    // (take <= run.length), the rest is read past. `previousSegment` is the
    // AWS prev_len expected in the first header. Returns how many records
    // were read and found whole (fewer than count: the next one is damaged),
    // or -1 on an I/O error.
    virtual long long ReadRecords(int fd, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                                  std::uint8_t* out, std::uint32_t take, std::uint32_t previousSegment) = 0;

    // Writes `count` records of `length` bytes from `data` at `offset`.
    virtual bool WriteRecords(int fd, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                              const std::uint8_t* data, std::uint32_t previousSegment) = 0;
    virtual bool WriteFilemarks(int fd, std::uint64_t offset, std::uint64_t count,
                                std::uint32_t previousSegment) = 0;
};

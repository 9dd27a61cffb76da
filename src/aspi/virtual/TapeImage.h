#pragma once
// One image file format: how objects are framed in the file. The cartridge
// keeps the index and the position; a format scans the image step by step
// into the index, and reads and writes runs of records and filemarks through
// the cartridge's window, a transfer at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "aspi/virtual/ImageWindow.h"
#include "aspi/virtual/TapeIndex.h"
#include "aspi/virtual/TapeRun.h"

class TapeImage {
public:
    // The largest record: the 24-bit transfer length of READ(6)/WRITE(6).
    static constexpr std::uint32_t kMaxRecord = 0x00FFFFFF;

    virtual ~TapeImage() = default;

    // The format a file name asks for (".tap" or ".aws"), or nullptr.
    static std::unique_ptr<TapeImage> ForPath(const std::string& path);

    // Scans on from the index's scan cursor as TapeIndex::Next directs,
    // object by object; an object not wholly buffered when only buffered
    // bytes may be used ends the step before it. A partial object at the end
    // of the file (a write cut short) ends the data before it; damaged
    // framing becomes a Damage run.
    virtual void Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) = 0;

    // File bytes of one record of `length` as this format writes it.
    virtual std::uint32_t RecordBytes(std::uint32_t length) const = 0;
    // The segment field of runs this format writes.
    virtual std::uint32_t WriteSegment(std::uint32_t length) const = 0;
    virtual std::uint32_t FilemarkBytes() const = 0;

    // Reads records first .. first + count - 1 of `run` and checks their
    // framing; the first `take` data bytes of each go to `out` back to back
    // (take <= run.length), the rest is passed over. `previousSegment` is the
    // AWS prev_len expected in the first header. Returns how many records
    // were read and found whole (fewer than count: the next one is damaged),
    // or -1 on an I/O error.
    virtual long long ReadRecords(ImageWindow& window, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                                  std::uint8_t* out, std::uint32_t take, std::uint32_t previousSegment) = 0;

    // Writes `count` records of `length` bytes from `data` at `offset`.
    virtual bool WriteRecords(ImageWindow& window, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                              const std::uint8_t* data, std::uint32_t previousSegment) = 0;
    virtual bool WriteFilemarks(ImageWindow& window, std::uint64_t offset, std::uint64_t count,
                                std::uint32_t previousSegment) = 0;
};

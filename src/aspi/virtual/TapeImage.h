#pragma once
// One image file format: how objects are framed in the file. The cartridge
// keeps the index and the position; a format scans the image step by step
// into the index, and reads and writes runs of records and filemarks through
// the cartridge's window, a transfer at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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

    // How far past broken framing the scan looks for the next whole object.
    static constexpr std::uint64_t kResyncReach = 64ull << 20;

    // Scans on from the index's scan cursor as TapeIndex::Next directs,
    // object by object; an object not wholly buffered when only buffered
    // bytes may be used ends the step before it. Where framing breaks, see
    // Resynchronise.
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

    // Damage before `from` whose framing looked at bytes from `from` on,
    // with the AWS prev_len expected where it begins.
    struct DamageFrame {
        std::uint64_t offset;
        std::uint32_t previous;
        std::uint32_t stride;
        std::uint32_t segment;
    };
    // Gathers that damage before a write at `from` changes those bytes: from
    // the index where it holds it, else by scanning again from the load
    // point, so that what is checked does not depend on what the index has
    // forgotten.
    void DamageReaching(ImageWindow& window, const TapeIndex& index, std::uint64_t from,
                        std::vector<DamageFrame>& out);
    // After the write: each of that damage still frames as it did, scanned
    // again with the bytes written.
    bool DamageReadsAsBefore(ImageWindow& window, const std::vector<DamageFrame>& damage);

protected:
    enum class Probe { Found, None, IoError };

    // Framing broke at `damage`, having looked at the bytes up to `reach`:
    // the bytes up to the next whole record within kResyncReach, with the
    // filemarks just before it kept, become a Damage run and scanning goes on
    // there. With no record up to the end of the file the data ends at
    // `damage` (a write cut short, stale bytes after an end-of-medium word,
    // garbage after the last object); with none within reach, or an I/O
    // error, the damage is a Wall.
    void Resynchronise(ImageWindow& window, TapeIndex& index, std::uint64_t damage, std::uint64_t reach);
    // A whole record (class 0 or bad data; AWS: a block whose framing agrees
    // with the header after it) begins at `offset`; `previous` gets the AWS
    // prev_len of its first header. Far bytes are read aside. `reach` gets
    // the end of the bytes the answer depends on, beyond the end of the file
    // where a record would run past it.
    virtual Probe RecordAt(ImageWindow& window, std::uint64_t offset, std::uint32_t& previous,
                           std::uint64_t& reach) = 0;
    // A filemark ends at `end` that the object there (prev_len `previous`)
    // can follow; `previous` then gets the filemark's own prev_len.
    virtual bool FilemarkBefore(ImageWindow& window, std::uint64_t end, std::uint32_t& previous) = 0;
};

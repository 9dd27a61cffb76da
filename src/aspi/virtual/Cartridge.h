#pragma once
// One loaded image file: the open file (locked against other owners), its
// format, its index and the tape position. Loading reads nothing: the index
// is scanned as movements reach into the tape, through the same window that
// reads the records, so a tape read from end to end is read once. Within a
// run of equal records positioning is arithmetic and a transfer is one copy
// out of the window.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "aspi/virtual/ImageWindow.h"
#include "aspi/virtual/TapeImage.h"
#include "aspi/virtual/TapeIndex.h"
#include "aspi/virtual/TapeOutcome.h"
#include "aspi/virtual/TapePosition.h"

class Cartridge {
public:
    enum class OpenResult { Loaded, Locked, Failed };

    // An image without any write permission bit is loaded write-protected,
    // even for a user who could write it anyway. `indexRuns` bounds the
    // index held in memory (TapeIndex).
    static OpenResult Open(const std::string& path, std::uint64_t capacity, std::uint64_t earlyWarning,
                           std::unique_ptr<Cartridge>& loaded, std::size_t indexRuns = TapeIndex::kDefaultRuns);
    ~Cartridge();
    Cartridge(const Cartridge&) = delete;
    Cartridge& operator=(const Cartridge&) = delete;

    // Fixed blocks: stops after a filemark, before end of data and before a
    // bad or damaged record, and after a record of another length.
    TapeOutcome Read(std::uint8_t* out, std::uint64_t count, std::uint32_t blockLength);
    // One record, at most maxLength bytes of it into out.
    TapeOutcome ReadVariable(std::uint8_t* out, std::uint32_t maxLength);
    // Writing anywhere but at end of data cuts the tape there first. Refused
    // (AtDamage) where the next object is damaged, except at the load point,
    // and where damage before it would frame differently with the new bytes
    // (TapeIndex::WriteReachesDamage).
    // What does not fit is Overflow: nothing written, or with WriteWhatFits
    // the objects that fit (done counts them).
    TapeOutcome Write(const std::uint8_t* data, std::uint64_t count, std::uint32_t length);
    TapeOutcome WriteFilemarks(std::uint64_t count);
    // Negative counts move towards the beginning. Blocks stop at damage,
    // filemarks pass it (up to a wall).
    TapeOutcome SpaceBlocks(std::int64_t count);
    TapeOutcome SpaceFilemarks(std::int64_t count);
    TapeOutcome SpaceToEnd();
    // Also forgets what the window holds: a read after a rewind sees the file.
    void Rewind();
    // Puts everything written so far on disk.
    bool Sync();
    void WriteWhatFits(bool on) { writeWhatFits_ = on; }
    // Nothing recorded lies at or after the position.
    bool AtEndOfData() { return !Settle(); }

    bool ReadOnly() const { return readOnly_; }
    const std::string& Path() const { return path_; }
    std::uint64_t Capacity() const { return capacity_; }
    // The bytes the image takes up to its end of data, counted against the
    // capacity as a write is.
    std::uint64_t Used() const { return window_.FileSize(); }
    const TapeIndex& Index() const { return index_; }
    TapePosition Position() const { return position_; }

private:
    Cartridge(const std::string& path, int fd, bool readOnly, std::unique_ptr<TapeImage> image,
              std::uint64_t fileSize, std::uint64_t capacity, std::uint64_t earlyWarning, std::size_t indexRuns);

    // Makes run `run` and the run before it held, with `objects` objects of
    // `run` known (or all it has), scanning on or again from the load point.
    // False when `run` lies beyond end of data.
    bool Reach(std::size_t run, std::uint64_t objects);
    // Moves a position left after the last object of a run to the next run,
    // with `wanted` objects known from it where the tape has them. False at
    // end of data (the position is then End()).
    bool Settle(std::uint64_t wanted = 1);
    void Advance(std::uint64_t objects) { position_.index += objects; }
    // Where the object before the position lies: its run and how many objects
    // of that run lie before the position. False at the beginning.
    bool Previous(std::size_t& run, std::uint64_t& before);
    // Cuts file and index at the position so that new objects can follow.
    bool CutAtPosition();
    void RollBack(std::uint64_t offset);
    template <class Store>
    TapeOutcome AppendObjects(std::uint64_t count, std::uint64_t stride, Store store);

    std::string path_;
    int fd_;
    bool readOnly_;
    std::unique_ptr<TapeImage> image_;
    std::uint64_t capacity_;
    std::uint64_t earlyWarning_;
    ImageWindow window_;
    TapeIndex index_;
    TapePosition position_{};
    bool dirty_ = false;
    bool writeWhatFits_ = false;
    std::vector<TapeImage::DamageFrame> damageNearWrite_;  // kept between writes: no allocation per block
};

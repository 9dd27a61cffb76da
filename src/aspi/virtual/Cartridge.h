#pragma once
// One loaded image file: the open file (locked against other owners), its
// format, its index and the tape position. Movements and transfers follow
// the index, so positioning within a run of equal records is arithmetic and
// a run of blocks moves with one system call.

#include <cstdint>
#include <memory>
#include <string>

#include "aspi/virtual/TapeImage.h"
#include "aspi/virtual/TapeIndex.h"
#include "aspi/virtual/TapeOutcome.h"
#include "aspi/virtual/TapePosition.h"

class Cartridge {
public:
    enum class OpenResult { Loaded, Locked, Failed };

    // An image without any write permission bit is loaded write-protected,
    // even for a user who could write it anyway.
    static OpenResult Open(const std::string& path, std::uint64_t capacity, std::uint64_t earlyWarning,
                           std::unique_ptr<Cartridge>& loaded);
    ~Cartridge();
    Cartridge(const Cartridge&) = delete;
    Cartridge& operator=(const Cartridge&) = delete;

    // Fixed blocks: stops after a filemark, before end of data and before a
    // bad or damaged record, and after a record of another length.
    TapeOutcome Read(std::uint8_t* out, std::uint64_t count, std::uint32_t blockLength);
    // One record, at most maxLength bytes of it into out.
    TapeOutcome ReadVariable(std::uint8_t* out, std::uint32_t maxLength);
    // Writing anywhere but at end of data cuts the tape there first.
    TapeOutcome Write(const std::uint8_t* data, std::uint64_t count, std::uint32_t length);
    TapeOutcome WriteFilemarks(std::uint64_t count);
    // Negative counts move towards the beginning.
    TapeOutcome SpaceBlocks(std::int64_t count);
    TapeOutcome SpaceFilemarks(std::int64_t count);
    TapeOutcome SpaceToEnd();
    void Rewind() { position_ = {}; }
    // Puts everything written so far on disk.
    bool Sync();

    bool ReadOnly() const { return readOnly_; }
    const std::string& Path() const { return path_; }
    std::uint64_t Capacity() const { return capacity_; }
    const TapeIndex& Index() const { return index_; }
    TapePosition Position() const { return position_; }

private:
    Cartridge(const std::string& path, int fd, bool readOnly, std::unique_ptr<TapeImage> image,
              std::uint64_t fileSize, std::uint64_t capacity, std::uint64_t earlyWarning);

    void Advance(std::uint64_t objects);
    // Where the object before the position lies: its run and how many objects
    // of that run lie before the position. False at the beginning.
    bool Previous(std::size_t& run, std::uint64_t& before) const;
    // Cuts file and index at the position so that new objects can follow.
    bool CutAtPosition();
    void RollBack(std::uint64_t offset);
    template <class Store>
    TapeOutcome AppendObjects(std::uint64_t count, std::uint64_t stride, Store store);

    std::string path_;
    int fd_;
    bool readOnly_;
    std::unique_ptr<TapeImage> image_;
    std::uint64_t fileSize_;
    std::uint64_t capacity_;
    std::uint64_t earlyWarning_;
    TapeIndex index_;
    TapePosition position_{};
    bool dirty_ = false;
};

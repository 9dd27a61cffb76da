#pragma once
// The in-memory map of a cartridge: runs of equal objects plus the offset
// where recorded data ends. Its size grows with filemarks and changes of
// record length, never with the number of blocks.

#include <cstdint>
#include <vector>

#include "aspi/virtual/TapePosition.h"
#include "aspi/virtual/TapeRun.h"

class TapeIndex {
public:
    void Clear();
    // Adds `count` objects at `offset`, extending the last run when they
    // continue it. Moves end of data behind them.
    void Append(RunKind kind, std::uint64_t offset, std::uint32_t length, std::uint32_t segment,
                std::uint32_t stride, std::uint64_t count = 1);
    // Unreadable framing at `offset`: nothing beyond it is reachable.
    void AppendDamage(std::uint64_t offset);
    // Scanning stopped cleanly here (end of file, end-of-medium word, a
    // partial object left by a crash).
    void SetEndOffset(std::uint64_t offset) { endOffset_ = offset; }
    // Forgets everything at and after `at`; end of data becomes its offset.
    void TruncateAt(TapePosition at);

    std::size_t RunCount() const { return runs_.size(); }
    const TapeRun& Run(std::size_t i) const { return runs_[i]; }
    TapePosition End() const { return {runs_.size(), 0}; }
    bool AtEnd(TapePosition p) const { return p.run >= runs_.size(); }
    std::uint64_t EndOffset() const { return endOffset_; }
    std::uint64_t OffsetOf(TapePosition p) const;
    bool HasDamage() const { return !runs_.empty() && runs_.back().kind == RunKind::Damage; }
    // AWS prev_len of a header written at p: the length of the segment just
    // before it, 0 at the load point and after a filemark.
    std::uint32_t PreviousSegment(TapePosition p) const;

    static std::uint32_t LastSegment(const TapeRun& run);

private:
    std::vector<TapeRun> runs_;
    std::uint64_t endOffset_ = 0;
};

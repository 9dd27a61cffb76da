#pragma once
// The map of a cartridge: runs of equal objects, numbered from the load
// point, built by scanning the image only as far as movements need it.
// Memory is bounded: at most `maxRuns` runs are held; when more are
// scanned, the oldest half is forgotten, and reaching a forgotten run means
// scanning again from the load point. A tape of few runs (any tape written
// by this program) never forgets anything.

#include <cstdint>
#include <deque>

#include "aspi/virtual/TapePosition.h"
#include "aspi/virtual/TapeRun.h"

// How far a scan step must go: run `run` known with `objects` of its
// objects, or known to be complete.
struct ScanGoal {
    std::size_t run = 0;
    std::uint64_t objects = 1;
};

// What a scan step does next: read on (filling the window as needed), go on
// only through what the window holds already, or stop.
enum class ScanStep { Read, Buffered, Stop };

class TapeIndex {
public:
    static constexpr std::size_t kDefaultRuns = 1 << 16;
    static constexpr std::size_t kMinRuns = 8;

    explicit TapeIndex(std::size_t maxRuns = kDefaultRuns);

    // Forgets every run; the next scan starts again at the load point.
    void Restart();

    // ---- scanning ----
    // Adds `count` objects at `offset`, extending the last run when they
    // continue it. Moves end of data behind them.
    void Append(RunKind kind, std::uint64_t offset, std::uint32_t length, std::uint32_t segment,
                std::uint32_t stride, std::uint64_t count = 1);
    // Bytes [offset, end) cannot be framed; an object begins at `end`, with
    // AWS prev_len `previous`. Framing tried there looked at the bytes up to
    // `reach` (needed them, where they lie beyond the end of the file).
    // Scanning goes on at `end`.
    void AppendDamage(std::uint64_t offset, std::uint64_t end, std::uint32_t previous, std::uint64_t reach);
    // Unreadable framing at `offset`: nothing beyond it is reachable.
    void AppendWall(std::uint64_t offset);
    // Scanning stopped cleanly here (end of file, an end-of-medium word or
    // a partial object left by a crash, with nothing readable after it).
    void EndAt(std::uint64_t offset);
    // Where the next scan step starts, and the AWS prev_len expected there.
    std::uint64_t ScanOffset() const { return scanOffset_; }
    std::uint32_t ScanPrevious() const { return scanPrevious_; }
    void SetScanCursor(std::uint64_t offset, std::uint32_t previous);
    // End of data (or damage) has been found: nothing is left to scan.
    bool Complete() const { return complete_; }
    bool Reached(const ScanGoal& goal) const;
    // Until its goal is reached a scan step reads on; then it goes on
    // through what is buffered, within a quarter of the runs held so that
    // nothing near the goal is forgotten.
    ScanStep Next(const ScanGoal& goal) const;

    // Forgets everything at and after `at` (a held run, or the end); end of
    // data becomes its WriteOffsetOf.
    void TruncateAt(TapePosition at);

    // ---- reading ----
    // Runs numbered below RunCount() have been scanned; First() .. RunCount()-1 are held.
    std::size_t RunCount() const { return first_ + runs_.size(); }
    std::size_t First() const { return first_; }
    std::size_t HeldRuns() const { return runs_.size(); }
    bool Holds(std::size_t run) const { return run >= first_ && run < RunCount(); }
    const TapeRun& Run(std::size_t run) const { return runs_[run - first_]; }
    TapePosition End() const { return {RunCount(), 0}; }
    // Only when Complete(): a position at or beyond the last run is end of data.
    bool AtEnd(TapePosition p) const { return complete_ && p.run >= RunCount(); }
    std::uint64_t EndOffset() const { return endOffset_; }
    // For a held run or the end.
    std::uint64_t OffsetOf(TapePosition p) const;
    // Where an object written at p begins: right after the object before it
    // (at 0 on the load point), so that a write replaces whatever the scan
    // passed over there. A half gap, told by the two bytes after it, would
    // otherwise read differently once the write has changed them. The run
    // before p must be held.
    std::uint64_t WriteOffsetOf(TapePosition p) const;
    // Framing tried at damage before p looked at bytes a write at p would
    // replace: once written, the damage could frame as an object that takes
    // in what was written, and the tape would read otherwise after a reload
    // or a rescan. The run before p must be held.
    bool WriteReachesDamage(TapePosition p) const;
    // Damage the index has forgotten looked at bytes from `at` on.
    bool ForgottenDamageReaches(std::uint64_t at) const { return forgottenReach_ > at; }
    bool EndsInWall() const { return complete_ && !runs_.empty() && runs_.back().kind == RunKind::Wall; }
    // AWS prev_len of a header written at p: the length of the segment just
    // before it, 0 at the load point and after a filemark, what the image
    // gives after damage. The run before p must be held.
    std::uint32_t PreviousSegment(TapePosition p) const;

    static std::uint32_t LastSegment(const TapeRun& run);

private:
    void Forget();
    // The furthest reach of damage in runs below `run` (held or forgotten).
    std::uint64_t DamageReach(std::size_t run) const;

    std::size_t maxRuns_;
    std::deque<TapeRun> runs_;
    std::size_t first_ = 0;
    std::uint64_t endOffset_ = 0;
    std::uint64_t scanOffset_ = 0;
    std::uint32_t scanPrevious_ = 0;
    bool complete_ = false;
    std::uint64_t forgottenReach_ = 0;  // of damage in forgotten runs
    std::uint64_t reachBound_ = 0;      // at least the reach of any damage in the index
};

#include "aspi/virtual/TapeIndex.h"

#include <algorithm>

TapeIndex::TapeIndex(std::size_t maxRuns) : maxRuns_(std::max(maxRuns, kMinRuns)) {}

void TapeIndex::Restart() {
    runs_.clear();
    first_ = 0;
    endOffset_ = 0;
    scanOffset_ = 0;
    scanPrevious_ = 0;
    complete_ = false;
    forgottenReach_ = 0;
    reachBound_ = 0;
}

namespace {

std::uint64_t ReachOf(const TapeRun& run) { return run.kind == RunKind::Damage ? run.offset + run.length : 0; }

}  // namespace

void TapeIndex::Forget() {
    // Keeps the newest half: the goal of a scan step lies within its last
    // quarter (Next), with the run before it.
    const std::size_t drop = runs_.size() - maxRuns_ / 2;
    for (std::size_t i = 0; i < drop; ++i) forgottenReach_ = std::max(forgottenReach_, ReachOf(runs_[i]));
    runs_.erase(runs_.begin(), runs_.begin() + static_cast<std::ptrdiff_t>(drop));
    first_ += drop;
}

void TapeIndex::Append(RunKind kind, std::uint64_t offset, std::uint32_t length, std::uint32_t segment,
                       std::uint32_t stride, std::uint64_t count) {
    if (count == 0) return;
    if (!runs_.empty()) {
        TapeRun& last = runs_.back();
        if (last.kind == kind && last.length == length && last.segment == segment && last.stride == stride &&
            last.End() == offset) {
            last.count += count;
            endOffset_ = last.End();
            return;
        }
    }
    if (runs_.size() == maxRuns_) Forget();
    runs_.push_back(TapeRun{offset, count, stride, length, segment, kind});
    endOffset_ = runs_.back().End();
}

void TapeIndex::AppendDamage(std::uint64_t offset, std::uint64_t end, std::uint32_t previous, std::uint64_t reach) {
    if (runs_.size() == maxRuns_) Forget();
    // The search and the framing it tries stay well within 4 GiB of the damage.
    const auto looked = static_cast<std::uint32_t>(std::min<std::uint64_t>(reach - offset, UINT32_MAX));
    runs_.push_back(
        TapeRun{offset, 1, static_cast<std::uint32_t>(end - offset), looked, previous, RunKind::Damage});
    reachBound_ = std::max(reachBound_, ReachOf(runs_.back()));
    endOffset_ = end;
    SetScanCursor(end, previous);
}

void TapeIndex::AppendWall(std::uint64_t offset) {
    if (runs_.size() == maxRuns_) Forget();
    runs_.push_back(TapeRun{offset, 1, 0, 0, 0, RunKind::Wall});
    endOffset_ = offset;
    scanOffset_ = offset;
    complete_ = true;
}

void TapeIndex::EndAt(std::uint64_t offset) {
    endOffset_ = offset;
    scanOffset_ = offset;
    complete_ = true;
}

void TapeIndex::SetScanCursor(std::uint64_t offset, std::uint32_t previous) {
    scanOffset_ = offset;
    scanPrevious_ = previous;
}

bool TapeIndex::Reached(const ScanGoal& goal) const {
    if (complete_ || RunCount() > goal.run + 1) return true;
    return Holds(goal.run) && Run(goal.run).count >= goal.objects;
}

ScanStep TapeIndex::Next(const ScanGoal& goal) const {
    if (complete_ || RunCount() > goal.run + maxRuns_ / 4) return ScanStep::Stop;
    return Reached(goal) ? ScanStep::Buffered : ScanStep::Read;
}

void TapeIndex::TruncateAt(TapePosition at) {
    endOffset_ = WriteOffsetOf(at);
    if (at.run < RunCount()) {
        scanPrevious_ = PreviousSegment(at);
        runs_.resize(at.run - first_ + (at.index > 0 ? 1 : 0));
        if (at.index > 0) runs_.back().count = at.index;
        if (reachBound_ > endOffset_) reachBound_ = DamageReach(RunCount());
    }
    scanOffset_ = endOffset_;
    complete_ = true;
}

std::uint64_t TapeIndex::DamageReach(std::size_t run) const {
    std::uint64_t reach = forgottenReach_;
    for (std::size_t r = first_; r < run; ++r) reach = std::max(reach, ReachOf(Run(r)));
    return reach;
}

bool TapeIndex::WriteReachesDamage(TapePosition p) const {
    const std::uint64_t at = WriteOffsetOf(p);
    // Damage is rare: only an index holding damage that reaches that far is walked.
    return reachBound_ > at && DamageReach(std::min(p.run, RunCount())) > at;
}

std::uint64_t TapeIndex::OffsetOf(TapePosition p) const {
    if (p.run >= RunCount()) return endOffset_;
    const TapeRun& run = Run(p.run);
    return run.offset + p.index * run.stride;
}

std::uint64_t TapeIndex::WriteOffsetOf(TapePosition p) const {
    if (p.index > 0 && p.run < RunCount()) return OffsetOf(p);
    if (p.run == 0) return 0;
    const std::size_t before = std::min(p.run, RunCount()) - 1;
    return Holds(before) ? Run(before).End() : OffsetOf(p);
}

std::uint32_t TapeIndex::LastSegment(const TapeRun& run) {
    if (run.segment == 0 || run.length <= run.segment) return run.length;
    const std::uint32_t rest = run.length % run.segment;
    return rest == 0 ? run.segment : rest;
}

std::uint32_t TapeIndex::PreviousSegment(TapePosition p) const {
    const TapeRun* before = nullptr;
    if (p.index > 0 && p.run < RunCount()) {
        before = &Run(p.run);
    } else if (p.run > 0) {
        before = &Run(std::min(p.run, RunCount()) - 1);
    }
    if (before != nullptr && before->kind == RunKind::Damage) return before->segment;
    if (before == nullptr || !before->IsRecord()) return 0;
    return LastSegment(*before);
}

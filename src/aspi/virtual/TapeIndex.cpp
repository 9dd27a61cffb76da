#include "aspi/virtual/TapeIndex.h"

void TapeIndex::Clear() {
    runs_.clear();
    endOffset_ = 0;
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
    runs_.push_back(TapeRun{offset, count, stride, length, segment, kind});
    endOffset_ = runs_.back().End();
}

void TapeIndex::AppendDamage(std::uint64_t offset) {
    runs_.push_back(TapeRun{offset, 1, 0, 0, 0, RunKind::Damage});
    endOffset_ = offset;
}

void TapeIndex::TruncateAt(TapePosition at) {
    if (AtEnd(at)) return;
    endOffset_ = OffsetOf(at);
    if (at.index == 0) {
        runs_.resize(at.run);
    } else {
        runs_.resize(at.run + 1);
        runs_.back().count = at.index;
    }
}

std::uint64_t TapeIndex::OffsetOf(TapePosition p) const {
    if (AtEnd(p)) return endOffset_;
    const TapeRun& run = runs_[p.run];
    return run.offset + p.index * run.stride;
}

std::uint32_t TapeIndex::LastSegment(const TapeRun& run) {
    if (run.segment == 0 || run.length <= run.segment) return run.length;
    const std::uint32_t rest = run.length % run.segment;
    return rest == 0 ? run.segment : rest;
}

std::uint32_t TapeIndex::PreviousSegment(TapePosition p) const {
    const TapeRun* before = nullptr;
    if (p.index > 0 && !AtEnd(p)) {
        before = &runs_[p.run];
    } else if (p.run > 0) {
        before = &runs_[(AtEnd(p) ? runs_.size() : p.run) - 1];
    }
    if (before == nullptr || !before->IsRecord()) return 0;
    return LastSegment(*before);
}

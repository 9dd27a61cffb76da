#include "aspi/virtual/TapeImage.h"

#include <algorithm>

#include "aspi/virtual/AwsTapeImage.h"
#include "aspi/virtual/SimhTapeImage.h"

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
    const std::string tail(suffix);
    return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::unique_ptr<TapeImage> TapeImage::ForPath(const std::string& path) {
    if (EndsWith(path, ".tap")) return std::make_unique<SimhTapeImage>();
    if (EndsWith(path, ".aws")) return std::make_unique<AwsTapeImage>();
    return nullptr;
}

void TapeImage::Resynchronise(ImageWindow& window, TapeIndex& index, std::uint64_t damage, std::uint64_t reach) {
    const std::uint64_t fileSize = window.FileSize();
    const std::uint64_t limit = std::min(fileSize, damage + kResyncReach);
    for (std::uint64_t at = damage + 1; at < limit; ++at) {
        std::uint32_t previous = 0;
        std::uint64_t looked = at;
        const Probe probe = RecordAt(window, at, previous, looked);
        if (probe == Probe::IoError) return index.AppendWall(damage);
        if (probe == Probe::None) {
            // Had those bytes been others, the search could have stopped here.
            reach = std::max(reach, looked);
            continue;
        }
        const std::uint32_t mark = FilemarkBytes();
        while (at - damage > mark && FilemarkBefore(window, at, previous)) at -= mark;
        return index.AppendDamage(damage, at, previous, reach);
    }
    if (limit == fileSize) return index.EndAt(damage);
    index.AppendWall(damage);
}

namespace {

bool Reaches(const TapeRun& run, std::uint64_t from) {
    return run.kind == RunKind::Damage && run.offset + run.length > from;
}

}  // namespace

void TapeImage::DamageReaching(ImageWindow& window, const TapeIndex& index, std::uint64_t from,
                               std::vector<DamageFrame>& out) {
    out.clear();
    bool held = !index.ForgottenDamageReaches(from);
    for (std::size_t r = index.First(); held && r < index.RunCount(); ++r) {
        const TapeRun& run = index.Run(r);
        if (!Reaches(run, from)) continue;
        if (r > 0 && !index.Holds(r - 1)) held = false;
        else out.push_back({run.offset, index.PreviousSegment({r, 0}), run.stride, run.segment});
    }
    if (held) return;
    out.clear();
    // Damage is rare and an index forgets only on tapes of very many runs.
    TapeIndex again(TapeIndex::kMinRuns);
    for (std::size_t r = 0; r < index.RunCount(); ++r) {
        Scan(window, again, ScanGoal{r, 1});
        if (!again.Holds(r)) break;
        const TapeRun& run = again.Run(r);
        if (Reaches(run, from)) out.push_back({run.offset, again.PreviousSegment({r, 0}), run.stride, run.segment});
    }
}

bool TapeImage::DamageReadsAsBefore(ImageWindow& window, const std::vector<DamageFrame>& damage) {
    for (const DamageFrame& before : damage) {
        TapeIndex again(TapeIndex::kMinRuns);
        again.SetScanCursor(before.offset, before.previous);
        Scan(window, again, ScanGoal{0, 1});
        if (again.RunCount() == 0) return false;
        const TapeRun& now = again.Run(0);
        if (now.kind != RunKind::Damage || now.offset != before.offset || now.stride != before.stride ||
            now.segment != before.segment)
            return false;
    }
    return true;
}

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

bool TapeImage::DamageReadsAsBefore(ImageWindow& window, const TapeIndex& index, std::uint64_t from) {
    for (std::size_t r = index.First(); r < index.RunCount(); ++r) {
        const TapeRun& run = index.Run(r);
        if (run.kind != RunKind::Damage || run.offset + run.length <= from) continue;
        if (r > 0 && !index.Holds(r - 1)) return false;
        TapeIndex again(TapeIndex::kMinRuns);
        again.SetScanCursor(run.offset, index.PreviousSegment({r, 0}));
        Scan(window, again, ScanGoal{0, 1});
        if (again.RunCount() == 0) return false;
        const TapeRun& now = again.Run(0);
        if (now.kind != RunKind::Damage || now.offset != run.offset || now.stride != run.stride ||
            now.segment != run.segment)
            return false;
    }
    return true;
}

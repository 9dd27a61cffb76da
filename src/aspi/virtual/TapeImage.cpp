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

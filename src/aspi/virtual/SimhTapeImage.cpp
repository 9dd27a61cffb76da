#include "aspi/virtual/SimhTapeImage.h"

#include "aspi/virtual/LittleEndian.h"

namespace {

constexpr std::uint32_t kTapeMark = 0x00000000;
constexpr std::uint32_t kEraseGap = 0xFFFFFFFE;
constexpr std::uint32_t kHalfGapForward = 0xFFFEFFFF;
constexpr std::uint32_t kClassBad = 0x8;
constexpr std::uint32_t kClassPrivateMarker = 0x7;
constexpr std::uint32_t kClassMarker = 0xF;

std::uint32_t Class(std::uint32_t word) { return word >> 28; }
std::uint32_t Value(std::uint32_t word) { return word & 0x0FFFFFFF; }

using Result = ImageWindow::Result;

enum class Framing { Whole, Broken, NotBuffered, IoError };

// Indexes the object at `pos` (gaps, markers and private records add
// nothing) and sets `next` after it. Broken framing sets `reach` to the end
// of the bytes it was told by.
Framing ScanObject(ImageWindow& window, TapeIndex& index, std::uint64_t pos, bool fill, std::uint64_t& next,
                   std::uint64_t& reach) {
    std::uint8_t bytes[4];
    reach = pos + 4;
    const auto lead = window.Read(pos, bytes, 4, fill);
    if (lead == Result::NotBuffered) return Framing::NotBuffered;
    if (lead == Result::IoError) return Framing::IoError;
    if (lead == Result::PastEnd) return Framing::Broken;
    const std::uint32_t word = LittleEndian::Load32(bytes);
    next = pos + 4;
    if (word == kTapeMark) {
        index.Append(RunKind::Filemark, pos, 0, 0, 4);
        return Framing::Whole;
    }
    if (Class(word) == kClassMarker) {
        if (word == kHalfGapForward) next = pos + 2;
        // End of medium, reserved and illegal markers: whether the data ends
        // here depends on what follows.
        return word == kEraseGap || word == kHalfGapForward ? Framing::Whole : Framing::Broken;
    }
    if (Class(word) == kClassPrivateMarker) return Framing::Whole;
    const std::uint32_t length = Value(word);
    const std::uint64_t stride = 8 + length + (length & 1);
    if (length > TapeImage::kMaxRecord) return Framing::Broken;
    reach = pos + stride;
    if (stride > window.FileSize() - pos) return Framing::Broken;
    const auto trail = window.Read(pos + stride - 4, bytes, 4, fill);
    if (trail == Result::NotBuffered) return Framing::NotBuffered;
    if (trail == Result::IoError) return Framing::IoError;
    if (trail != Result::Ok || LittleEndian::Load32(bytes) != word) return Framing::Broken;
    if (Class(word) == 0) {
        index.Append(RunKind::Data, pos, length, length, static_cast<std::uint32_t>(stride));
    } else if (Class(word) == kClassBad) {
        index.Append(RunKind::BadData, pos, length, length, static_cast<std::uint32_t>(stride));
    }
    // Other classes are private, reserved or description records: passed over.
    next = pos + stride;
    return Framing::Whole;
}

}  // namespace

void SimhTapeImage::Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) {
    std::uint64_t pos = index.ScanOffset();
    for (ScanStep step; (step = index.Next(goal)) != ScanStep::Stop;) {
        const bool fill = step == ScanStep::Read;
        std::uint64_t next = pos;
        std::uint64_t reach = pos;
        const Framing framing = ScanObject(window, index, pos, fill, next, reach);
        if (framing == Framing::NotBuffered) break;
        if (framing == Framing::IoError) return index.AppendWall(pos);
        if (framing == Framing::Broken) {
            // The search reads ahead: only a step that may read does it.
            if (!fill) break;
            Resynchronise(window, index, pos, reach);
            if (index.Complete()) return;
            next = index.ScanOffset();
        }
        pos = next;
    }
    if (!index.Complete()) index.SetScanCursor(pos, 0);
}

TapeImage::Probe SimhTapeImage::RecordAt(ImageWindow& window, std::uint64_t offset, std::uint32_t&,
                                         std::uint64_t& reach) {
    std::uint8_t bytes[4];
    reach = offset + 4;
    const auto lead = window.Read(offset, bytes, 4);
    if (lead == Result::IoError) return Probe::IoError;
    if (lead != Result::Ok) return Probe::None;
    const std::uint32_t word = LittleEndian::Load32(bytes);
    const std::uint32_t length = Value(word);
    if ((Class(word) != 0 && Class(word) != kClassBad) || length == 0 || length > kMaxRecord) return Probe::None;
    const std::uint64_t stride = 8 + length + (length & 1);
    reach = offset + stride;
    if (stride > window.FileSize() - offset) return Probe::None;
    const auto trail = window.ReadAside(offset + stride - 4, bytes, 4);
    if (trail == Result::IoError) return Probe::IoError;
    return trail == Result::Ok && LittleEndian::Load32(bytes) == word ? Probe::Found : Probe::None;
}

bool SimhTapeImage::FilemarkBefore(ImageWindow& window, std::uint64_t end, std::uint32_t&) {
    std::uint8_t bytes[4];
    return window.ReadAside(end - 4, bytes, 4) == Result::Ok && LittleEndian::Load32(bytes) == kTapeMark;
}

long long SimhTapeImage::ReadRecords(ImageWindow& window, const TapeRun& run, std::uint64_t first,
                                     std::uint64_t count, std::uint8_t* out, std::uint32_t take, std::uint32_t) {
    const std::uint32_t expected = (run.kind == RunKind::BadData ? kClassBad << 28 : 0) | run.length;
    std::uint64_t at = run.offset + first * run.stride;
    for (std::uint64_t i = 0; i < count; ++i, at += run.stride) {
        std::uint8_t head[4];
        std::uint8_t tail[4];
        // The trailing word proves that the whole record, pad included, is there.
        const Result got[] = {window.Read(at, head, 4), window.Read(at + 4, out + i * take, take),
                              window.Read(at + run.stride - 4, tail, 4)};
        for (const Result r : got) {
            if (r == Result::IoError) return -1;
            if (r == Result::PastEnd) return static_cast<long long>(i);
        }
        if (LittleEndian::Load32(head) != expected || LittleEndian::Load32(tail) != expected)
            return static_cast<long long>(i);
    }
    return static_cast<long long>(count);
}

bool SimhTapeImage::WriteRecords(ImageWindow& window, std::uint64_t offset, std::uint32_t length,
                                 std::uint64_t count, const std::uint8_t* data, std::uint32_t) {
    std::uint8_t word[4];
    LittleEndian::Store32(word, length);
    window.BeginWrite(offset);
    for (std::uint64_t i = 0; i < count; ++i) {
        window.Put(word, 4);
        window.Put(data + i * length, length);
        if (length & 1) window.PutZeros(1);
        window.Put(word, 4);
    }
    return window.EndWrite();
}

bool SimhTapeImage::WriteFilemarks(ImageWindow& window, std::uint64_t offset, std::uint64_t count, std::uint32_t) {
    window.BeginWrite(offset);
    window.PutZeros(count * 4);
    return window.EndWrite();
}

#include "aspi/virtual/SimhTapeImage.h"

#include "aspi/virtual/LittleEndian.h"

namespace {

constexpr std::uint32_t kTapeMark = 0x00000000;
constexpr std::uint32_t kEndOfMedium = 0xFFFFFFFF;
constexpr std::uint32_t kEraseGap = 0xFFFFFFFE;
constexpr std::uint32_t kHalfGapForward = 0xFFFEFFFF;
constexpr std::uint32_t kClassBad = 0x8;
constexpr std::uint32_t kClassPrivateMarker = 0x7;
constexpr std::uint32_t kClassMarker = 0xF;

std::uint32_t Class(std::uint32_t word) { return word >> 28; }
std::uint32_t Value(std::uint32_t word) { return word & 0x0FFFFFFF; }

using Result = ImageWindow::Result;

}  // namespace

void SimhTapeImage::Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) {
    const std::uint64_t fileSize = window.FileSize();
    std::uint64_t pos = index.ScanOffset();
    for (ScanStep step; (step = index.Next(goal)) != ScanStep::Stop;) {
        const bool fill = step == ScanStep::Read;
        std::uint8_t bytes[4];
        const auto lead = window.Read(pos, bytes, 4, fill);
        if (lead == Result::NotBuffered) break;
        if (lead == Result::PastEnd) return index.EndAt(pos);  // clean end, or a word cut short
        if (lead == Result::IoError) return index.AppendDamage(pos);
        const std::uint32_t word = LittleEndian::Load32(bytes);
        if (word == kTapeMark) {
            index.Append(RunKind::Filemark, pos, 0, 0, 4);
            pos += 4;
            continue;
        }
        if (Class(word) == kClassMarker) {
            if (word == kEndOfMedium) return index.EndAt(pos);
            if (word == kEraseGap) {
                pos += 4;
                continue;
            }
            if (word == kHalfGapForward) {
                pos += 2;
                continue;
            }
            return index.AppendDamage(pos);  // reserved or illegal marker
        }
        if (Class(word) == kClassPrivateMarker) {
            pos += 4;
            continue;
        }
        const std::uint32_t length = Value(word);
        if (length > kMaxRecord) return index.AppendDamage(pos);
        const std::uint64_t stride = 8 + length + (length & 1);
        // The last record was cut short by a crash. A corrupted length word
        // that happens to point past the end of the file looks the same and
        // is taken for it too.
        if (stride > fileSize - pos) return index.EndAt(pos);
        const auto trail = window.Read(pos + stride - 4, bytes, 4, fill);
        if (trail == Result::NotBuffered) break;
        if (trail != Result::Ok || LittleEndian::Load32(bytes) != word) return index.AppendDamage(pos);
        if (Class(word) == 0) {
            index.Append(RunKind::Data, pos, length, length, static_cast<std::uint32_t>(stride));
        } else if (Class(word) == kClassBad) {
            index.Append(RunKind::BadData, pos, length, length, static_cast<std::uint32_t>(stride));
        }
        // Other classes are private, reserved or description records: passed over.
        pos += stride;
    }
    if (!index.Complete()) index.SetScanCursor(pos, 0);
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

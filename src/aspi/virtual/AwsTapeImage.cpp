#include "aspi/virtual/AwsTapeImage.h"

#include <algorithm>

#include "aspi/virtual/LittleEndian.h"

namespace {

constexpr std::uint8_t kBeginOfRecord = 0x80;
constexpr std::uint8_t kTapemark = 0x40;
constexpr std::uint8_t kEndOfRecord = 0x20;

struct SegmentHeader {
    std::uint16_t current;
    std::uint16_t previous;
    std::uint8_t flags1;
    std::uint8_t flags2;
};

SegmentHeader Decode(const std::uint8_t* p) { return {LittleEndian::Load16(p), LittleEndian::Load16(p + 2), p[4], p[5]}; }

void Encode(std::uint8_t* p, std::uint32_t current, std::uint32_t previous, std::uint8_t flags1) {
    LittleEndian::Store16(p, static_cast<std::uint16_t>(current));
    LittleEndian::Store16(p + 2, static_cast<std::uint16_t>(previous));
    p[4] = flags1;
    p[5] = 0;
}

std::uint32_t Segments(std::uint32_t length, std::uint32_t segment) { return (length + segment - 1) / segment; }

std::uint8_t SegmentFlags(std::uint32_t j, std::uint32_t segments) {
    std::uint8_t flags = 0;
    if (j == 0) flags |= kBeginOfRecord;
    if (j + 1 == segments) flags |= kEndOfRecord;
    return flags;
}

using Result = ImageWindow::Result;

}  // namespace

std::uint32_t AwsTapeImage::RecordBytes(std::uint32_t length) const {
    return length + kHeader * Segments(length, kChunk);
}

void AwsTapeImage::Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) {
    const std::uint64_t fileSize = window.FileSize();
    std::uint64_t pos = index.ScanOffset();
    std::uint32_t previous = index.ScanPrevious();
    std::uint8_t bytes[kHeader];
    for (ScanStep step; (step = index.Next(goal)) != ScanStep::Stop;) {
        const bool fill = step == ScanStep::Read;
        auto got = window.Read(pos, bytes, kHeader, fill);
        if (got == Result::NotBuffered) break;
        if (got == Result::PastEnd) return index.EndAt(pos);  // clean end, or a header cut short
        if (got == Result::IoError) return index.AppendDamage(pos);
        SegmentHeader h = Decode(bytes);
        // After a block, prev_len was checked when the block was scanned;
        // here it follows a filemark or the load point.
        if (h.previous != previous || h.flags2 != 0) return index.AppendDamage(pos);
        if (h.flags1 == kTapemark) {
            if (h.current != 0) return index.AppendDamage(pos);
            index.Append(RunKind::Filemark, pos, 0, 0, kHeader);
            pos += kHeader;
            previous = 0;
            continue;
        }
        if ((h.flags1 & ~(kBeginOfRecord | kEndOfRecord)) != 0 || !(h.flags1 & kBeginOfRecord))
            return index.AppendDamage(pos);
        // Walk the block's segments; only a uniform split can be indexed as a run.
        const std::uint32_t segment = h.current;
        std::uint64_t at = pos;
        std::uint64_t length = 0;
        for (std::uint32_t j = 0;; ++j) {
            if (h.current == 0 || length != static_cast<std::uint64_t>(j) * segment || j >= kMaxSegments)
                return index.AppendDamage(pos);
            if (at + kHeader + h.current > fileSize) return index.EndAt(pos);  // the last block was cut short
            length += h.current;
            if (length > kMaxRecord || h.current > segment) return index.AppendDamage(pos);
            at += kHeader + h.current;
            if (h.flags1 & kEndOfRecord) break;
            const std::uint32_t before = h.current;
            got = window.Read(at, bytes, kHeader, fill);
            if (got == Result::NotBuffered) return index.SetScanCursor(pos, previous);
            if (got == Result::PastEnd) return index.EndAt(pos);
            if (got == Result::IoError) return index.AppendDamage(pos);
            h = Decode(bytes);
            if (h.previous != before || h.flags2 != 0 || (h.flags1 & ~kEndOfRecord) != 0)
                return index.AppendDamage(pos);
        }
        // prev_len is all that ties a block to the header after it (AWS has
        // no trailing length); when they disagree, the block itself may be
        // short, so it is not delivered.
        got = window.Read(at, bytes, kHeader, fill);
        if (got == Result::NotBuffered) return index.SetScanCursor(pos, previous);
        if (got == Result::Ok && Decode(bytes).previous != h.current) return index.AppendDamage(pos);
        index.Append(RunKind::Data, pos, static_cast<std::uint32_t>(length), segment,
                     static_cast<std::uint32_t>(at - pos));
        previous = h.current;
        pos = at;
    }
    if (!index.Complete()) index.SetScanCursor(pos, previous);
}

long long AwsTapeImage::ReadRecords(ImageWindow& window, const TapeRun& run, std::uint64_t first,
                                    std::uint64_t count, std::uint8_t* out, std::uint32_t take,
                                    std::uint32_t previousSegment) {
    const std::uint32_t segments = Segments(run.length, run.segment);
    const std::uint32_t last = TapeIndex::LastSegment(run);
    std::uint32_t previous = previousSegment;
    std::uint64_t at = run.offset + first * run.stride;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint8_t* dest = out + i * take;
        std::uint32_t wanted = take;
        for (std::uint32_t j = 0; j < segments; ++j) {
            const std::uint32_t size = j + 1 == segments ? last : run.segment;
            const std::uint32_t into = std::min(size, wanted);
            std::uint8_t bytes[kHeader];
            std::uint8_t lastByte;
            const Result got[] = {window.Read(at, bytes, kHeader), window.Read(at + kHeader, dest, into),
                                  // Data passed over must still be there.
                                  into < size ? window.Read(at + kHeader + size - 1, &lastByte, 1) : Result::Ok};
            for (const Result r : got) {
                if (r == Result::IoError) return -1;
                if (r == Result::PastEnd) return static_cast<long long>(i);
            }
            const SegmentHeader h = Decode(bytes);
            if (h.current != size || h.previous != (j == 0 ? previous : run.segment) ||
                h.flags1 != SegmentFlags(j, segments) || h.flags2 != 0)
                return static_cast<long long>(i);
            dest += into;
            wanted -= into;
            at += kHeader + size;
        }
        previous = last;
    }
    return static_cast<long long>(count);
}

bool AwsTapeImage::WriteRecords(ImageWindow& window, std::uint64_t offset, std::uint32_t length,
                                std::uint64_t count, const std::uint8_t* data, std::uint32_t previousSegment) {
    const std::uint32_t segments = Segments(length, kChunk);
    const std::uint32_t last = length - (segments - 1) * kChunk;
    std::uint32_t previous = previousSegment;
    window.BeginWrite(offset);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* source = data + i * length;
        for (std::uint32_t j = 0; j < segments; ++j) {
            const std::uint32_t size = j + 1 == segments ? last : kChunk;
            std::uint8_t header[kHeader];
            Encode(header, size, previous, SegmentFlags(j, segments));
            window.Put(header, kHeader);
            window.Put(source, size);
            source += size;
            previous = size;
        }
    }
    return window.EndWrite();
}

bool AwsTapeImage::WriteFilemarks(ImageWindow& window, std::uint64_t offset, std::uint64_t count,
                                  std::uint32_t previousSegment) {
    std::uint8_t header[kHeader];
    window.BeginWrite(offset);
    for (std::uint64_t i = 0; i < count; ++i) {
        Encode(header, 0, i == 0 ? previousSegment : 0, kTapemark);
        window.Put(header, kHeader);
    }
    return window.EndWrite();
}

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
constexpr std::uint32_t kHeader = AwsTapeImage::kHeader;

enum class Framing { Filemark, Block, Broken, NotBuffered, IoError };
// Scanning reads on or only from the buffer; a search looks ahead aside.
enum class Fetch { Buffered, Fill, Aside };

struct Framed {
    std::uint32_t previous = 0;  // prev_len of its first header
    std::uint32_t length = 0;
    std::uint32_t segment = 0;   // data bytes of every segment but the last
    std::uint32_t last = 0;      // data bytes of the last segment; 0 for a filemark
    std::uint64_t end = 0;
    std::uint64_t reach = 0;     // end of the bytes the framing was told by (or needed)
};

// Frames the object at `pos`, except for the prev_len of its first header,
// which only the object before it can tell. A block cut short by the end
// of the file is broken.
Framing FrameAt(ImageWindow& window, std::uint64_t pos, Fetch fetch, Framed& out) {
    std::uint8_t bytes[kHeader];
    auto read = [&](std::uint64_t at) {
        return fetch == Fetch::Aside ? window.ReadAside(at, bytes, kHeader)
                                     : window.Read(at, bytes, kHeader, fetch == Fetch::Fill);
    };
    out.reach = pos + kHeader;
    auto got = read(pos);
    if (got == Result::NotBuffered) return Framing::NotBuffered;
    if (got == Result::IoError) return Framing::IoError;
    if (got == Result::PastEnd) return Framing::Broken;
    SegmentHeader h = Decode(bytes);
    out.previous = h.previous;
    if (h.flags2 != 0) return Framing::Broken;
    if (h.flags1 == kTapemark) {
        out.end = pos + kHeader;
        return h.current == 0 ? Framing::Filemark : Framing::Broken;
    }
    if ((h.flags1 & ~(kBeginOfRecord | kEndOfRecord)) != 0 || !(h.flags1 & kBeginOfRecord)) return Framing::Broken;
    // Walk the block's segments; only a uniform split can be indexed as a run.
    const std::uint32_t segment = h.current;
    std::uint64_t at = pos;
    std::uint64_t length = 0;
    for (std::uint32_t j = 0;; ++j) {
        if (h.current == 0 || length != static_cast<std::uint64_t>(j) * segment || j >= AwsTapeImage::kMaxSegments)
            return Framing::Broken;
        out.reach = at + kHeader + h.current;
        if (out.reach > window.FileSize()) return Framing::Broken;
        length += h.current;
        if (length > TapeImage::kMaxRecord || h.current > segment) return Framing::Broken;
        at += kHeader + h.current;
        if (h.flags1 & kEndOfRecord) break;
        const std::uint32_t before = h.current;
        out.reach = at + kHeader;
        got = read(at);
        if (got == Result::NotBuffered) return Framing::NotBuffered;
        if (got == Result::IoError) return Framing::IoError;
        if (got == Result::PastEnd) return Framing::Broken;
        h = Decode(bytes);
        if (h.previous != before || h.flags2 != 0 || (h.flags1 & ~kEndOfRecord) != 0) return Framing::Broken;
    }
    // prev_len is all that ties a block to the header after it (AWS has
    // no trailing length); when they disagree, the block itself may be
    // short, so it is not delivered.
    out.reach = at + kHeader;
    got = read(at);
    if (got == Result::NotBuffered) return Framing::NotBuffered;
    if (got == Result::Ok && Decode(bytes).previous != h.current) return Framing::Broken;
    out.length = static_cast<std::uint32_t>(length);
    out.segment = segment;
    out.last = h.current;
    out.end = at;
    return Framing::Block;
}

}  // namespace

std::uint32_t AwsTapeImage::RecordBytes(std::uint32_t length) const {
    return length + kHeader * Segments(length, kChunk);
}

void AwsTapeImage::Scan(ImageWindow& window, TapeIndex& index, const ScanGoal& goal) {
    std::uint64_t pos = index.ScanOffset();
    std::uint32_t previous = index.ScanPrevious();
    for (ScanStep step; (step = index.Next(goal)) != ScanStep::Stop;) {
        const bool fill = step == ScanStep::Read;
        Framed object;
        Framing framing = FrameAt(window, pos, fill ? Fetch::Fill : Fetch::Buffered, object);
        if (framing == Framing::NotBuffered) break;
        if (framing == Framing::IoError) return index.AppendWall(pos);
        // After a block, prev_len was checked when the block was framed;
        // here it follows a filemark, the load point or damage. Its own
        // header tells that.
        if (framing != Framing::Broken && object.previous != previous) {
            framing = Framing::Broken;
            object.reach = pos + kHeader;
        }
        if (framing == Framing::Broken) {
            // The search reads ahead: only a step that may read does it.
            if (!fill) break;
            Resynchronise(window, index, pos, object.reach);
            if (index.Complete()) return;
            pos = index.ScanOffset();
            previous = index.ScanPrevious();
            continue;
        }
        if (framing == Framing::Filemark) {
            index.Append(RunKind::Filemark, pos, 0, 0, kHeader);
        } else {
            index.Append(RunKind::Data, pos, object.length, object.segment,
                         static_cast<std::uint32_t>(object.end - pos));
        }
        previous = object.last;
        pos = object.end;
    }
    if (!index.Complete()) index.SetScanCursor(pos, previous);
}

TapeImage::Probe AwsTapeImage::RecordAt(ImageWindow& window, std::uint64_t offset, std::uint32_t& previous,
                                        std::uint64_t& reach) {
    std::uint8_t bytes[kHeader];
    reach = offset + kHeader;
    const auto lead = window.Read(offset, bytes, kHeader);
    if (lead == Result::IoError) return Probe::IoError;
    if (lead != Result::Ok || (bytes[4] & kBeginOfRecord) == 0 || bytes[5] != 0) return Probe::None;
    Framed object;
    const Framing framing = FrameAt(window, offset, Fetch::Aside, object);
    reach = object.reach;
    if (framing == Framing::IoError) return Probe::IoError;
    if (framing != Framing::Block) return Probe::None;
    previous = object.previous;
    return Probe::Found;
}

bool AwsTapeImage::FilemarkBefore(ImageWindow& window, std::uint64_t end, std::uint32_t& previous) {
    Framed object;
    if (previous != 0 || FrameAt(window, end - kHeader, Fetch::Aside, object) != Framing::Filemark) return false;
    previous = object.previous;
    return true;
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

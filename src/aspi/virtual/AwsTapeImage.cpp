#include "aspi/virtual/AwsTapeImage.h"

#include <algorithm>

#include "aspi/virtual/LittleEndian.h"
#include "aspi/virtual/ScanWindow.h"
#include "aspi/virtual/VectoredIo.h"

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

}  // namespace

AwsTapeImage::AwsTapeImage() : discard_(kChunk) {}

std::uint32_t AwsTapeImage::RecordBytes(std::uint32_t length) const {
    return length + kHeader * Segments(length, kChunk);
}

void AwsTapeImage::Scan(int fd, std::uint64_t fileSize, TapeIndex& index) {
    index.Clear();
    ScanWindow window(fd, fileSize);
    std::uint64_t pos = 0;
    std::uint32_t previous = 0;
    std::uint8_t bytes[kHeader];
    for (;;) {
        auto got = window.Read(pos, bytes, kHeader);
        if (got == ScanWindow::Result::PastEnd) break;  // clean end, or a header cut short
        if (got == ScanWindow::Result::IoError) return index.AppendDamage(pos);
        SegmentHeader h = Decode(bytes);
        if (h.previous != previous) {
            // prev_len is all that ties a block to the header after it (AWS
            // has no trailing length); when they disagree, the block itself
            // may be short, so it is not delivered.
            if (index.RunCount() > 0 && index.Run(index.RunCount() - 1).IsRecord()) {
                const TapeRun& last = index.Run(index.RunCount() - 1);
                const std::uint64_t at = last.offset + (last.count - 1) * last.stride;
                index.TruncateAt({index.RunCount() - 1, last.count - 1});
                return index.AppendDamage(at);
            }
            return index.AppendDamage(pos);
        }
        if (h.flags2 != 0) return index.AppendDamage(pos);
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
        bool cut = false;
        for (std::uint32_t j = 0;; ++j) {
            if (h.current == 0 || length != static_cast<std::uint64_t>(j) * segment || j >= kMaxSegments)
                return index.AppendDamage(pos);
            if (at + kHeader + h.current > fileSize) {
                cut = true;
                break;
            }
            length += h.current;
            if (length > kMaxRecord || h.current > segment) return index.AppendDamage(pos);
            at += kHeader + h.current;
            if (h.flags1 & kEndOfRecord) break;
            const std::uint32_t before = h.current;
            got = window.Read(at, bytes, kHeader);
            if (got == ScanWindow::Result::PastEnd) {
                cut = true;
                break;
            }
            if (got == ScanWindow::Result::IoError) return index.AppendDamage(pos);
            h = Decode(bytes);
            if (h.previous != before || h.flags2 != 0 || (h.flags1 & ~kEndOfRecord) != 0)
                return index.AppendDamage(pos);
        }
        if (cut) break;  // the last block was cut short
        const auto total = static_cast<std::uint32_t>(length);
        index.Append(RunKind::Data, pos, total, segment, static_cast<std::uint32_t>(at - pos));
        previous = h.current;
        pos = at;
    }
    index.SetEndOffset(pos);
}

long long AwsTapeImage::ReadRecords(int fd, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                                    std::uint8_t* out, std::uint32_t take, std::uint32_t previousSegment) {
    const std::uint32_t segments = Segments(run.length, run.segment);
    const std::uint32_t last = TapeIndex::LastSegment(run);
    std::uint64_t done = 0;
    std::uint32_t previous = previousSegment;
    while (done < count) {
        std::size_t iovs = 0;
        std::size_t batch = 0;
        while (done + batch < count && (batch + 1) * segments <= kMaxHeaders &&
               iovs + 3 * static_cast<std::size_t>(segments) <= kMaxIov) {
            std::uint8_t* dest = out + (done + batch) * take;
            std::uint32_t wanted = take;
            for (std::uint32_t j = 0; j < segments; ++j) {
                const std::uint32_t size = j + 1 == segments ? last : run.segment;
                iov_[iovs++] = {Header(batch * segments + j), kHeader};
                const std::uint32_t into = std::min(size, wanted);
                if (into > 0) iov_[iovs++] = {dest, into};
                if (size > into) iov_[iovs++] = {discard_.data(), size - into};
                dest += into;
                wanted -= into;
            }
            ++batch;
        }
        if (batch == 0) return static_cast<long long>(done);
        const long long got =
            VectoredIo::ReadFull(fd, iov_.data(), static_cast<int>(iovs), run.offset + (first + done) * run.stride);
        if (got < 0) return -1;
        const std::uint64_t whole = std::min<std::uint64_t>(static_cast<std::uint64_t>(got) / run.stride, batch);
        for (std::uint64_t i = 0; i < whole; ++i) {
            for (std::uint32_t j = 0; j < segments; ++j) {
                const SegmentHeader h = Decode(Header(i * segments + j));
                const std::uint32_t size = j + 1 == segments ? last : run.segment;
                const std::uint32_t before = j == 0 ? previous : run.segment;
                if (h.current != size || h.previous != before || h.flags1 != SegmentFlags(j, segments) ||
                    h.flags2 != 0)
                    return static_cast<long long>(done + i);
            }
            previous = last;
        }
        if (whole < batch) return static_cast<long long>(done + whole);
        done += batch;
    }
    return static_cast<long long>(done);
}

bool AwsTapeImage::WriteRecords(int fd, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                                const std::uint8_t* data, std::uint32_t previousSegment) {
    const std::uint32_t segments = Segments(length, kChunk);
    const std::uint32_t last = length - (segments - 1) * kChunk;
    const std::uint64_t stride = RecordBytes(length);
    const std::size_t perBatch = std::max<std::size_t>(1, kMaxHeaders / segments);
    std::uint32_t previous = previousSegment;
    std::uint64_t done = 0;
    while (done < count) {
        const std::size_t batch = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, perBatch));
        std::size_t iovs = 0;
        for (std::size_t i = 0; i < batch; ++i) {
            const std::uint8_t* source = data + (done + i) * length;
            for (std::uint32_t j = 0; j < segments; ++j) {
                const std::uint32_t size = j + 1 == segments ? last : kChunk;
                std::uint8_t* header = Header(i * segments + j);
                Encode(header, size, previous, SegmentFlags(j, segments));
                iov_[iovs++] = {header, kHeader};
                iov_[iovs++] = {const_cast<std::uint8_t*>(source), size};
                source += size;
                previous = size;
            }
        }
        if (!VectoredIo::WriteFull(fd, iov_.data(), static_cast<int>(iovs), offset + done * stride)) return false;
        done += batch;
    }
    return true;
}

bool AwsTapeImage::WriteFilemarks(int fd, std::uint64_t offset, std::uint64_t count, std::uint32_t previousSegment) {
    std::uint32_t previous = previousSegment;
    while (count > 0) {
        const std::size_t batch = static_cast<std::size_t>(std::min<std::uint64_t>(count, kMaxHeaders));
        for (std::size_t i = 0; i < batch; ++i) {
            Encode(Header(i), 0, previous, kTapemark);
            previous = 0;
        }
        iovec one{headers_.data(), batch * kHeader};
        if (!VectoredIo::WriteFull(fd, &one, 1, offset)) return false;
        offset += batch * kHeader;
        count -= batch;
    }
    return true;
}

#include "aspi/virtual/SimhTapeImage.h"

#include <algorithm>

#include "aspi/virtual/LittleEndian.h"
#include "aspi/virtual/ScanWindow.h"
#include "aspi/virtual/VectoredIo.h"

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

}  // namespace

SimhTapeImage::SimhTapeImage() : discard_(kDiscard) {}

void SimhTapeImage::Scan(int fd, std::uint64_t fileSize, TapeIndex& index) {
    index.Clear();
    ScanWindow window(fd, fileSize);
    std::uint64_t pos = 0;
    for (;;) {
        std::uint8_t bytes[4];
        const auto lead = window.Read(pos, bytes, 4);
        if (lead == ScanWindow::Result::PastEnd) break;  // clean end, or a word cut short
        if (lead == ScanWindow::Result::IoError) return index.AppendDamage(pos);
        const std::uint32_t word = LittleEndian::Load32(bytes);
        if (word == kTapeMark) {
            index.Append(RunKind::Filemark, pos, 0, 0, 4);
            pos += 4;
            continue;
        }
        if (Class(word) == kClassMarker) {
            if (word == kEndOfMedium) break;
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
        if (stride > fileSize - pos) break;
        const auto trail = window.Read(pos + stride - 4, bytes, 4);
        if (trail != ScanWindow::Result::Ok || LittleEndian::Load32(bytes) != word) return index.AppendDamage(pos);
        if (Class(word) == 0) {
            index.Append(RunKind::Data, pos, length, length, static_cast<std::uint32_t>(stride));
        } else if (Class(word) == kClassBad) {
            index.Append(RunKind::BadData, pos, length, length, static_cast<std::uint32_t>(stride));
        }
        // Other classes are private, reserved or description records: passed over.
        pos += stride;
    }
    // Whatever lies beyond the last whole object is not data.
    index.SetEndOffset(pos);
}

long long SimhTapeImage::ReadRecords(int fd, const TapeRun& run, std::uint64_t first, std::uint64_t count,
                                     std::uint8_t* out, std::uint32_t take, std::uint32_t) {
    const std::uint32_t expected = (run.kind == RunKind::BadData ? kClassBad << 28 : 0) | run.length;
    framedLength_ = kNoLength;
    const std::uint32_t pad = run.length & 1;
    std::uint64_t done = 0;
    while (done < count) {
        std::size_t iovs = 0;
        std::size_t batch = 0;
        while (done + batch < count && batch < kBatch) {
            const std::uint32_t rest = run.length - take;
            const std::size_t need = 2 + (take > 0 ? 1 : 0) + (rest + kDiscard - 1) / kDiscard;
            if (iovs + need > kMaxIov) break;
            iov_[iovs++] = {heads_[batch].data(), 4};
            if (take > 0) iov_[iovs++] = {out + (done + batch) * take, take};
            for (std::uint32_t left = rest; left > 0;) {
                const std::uint32_t piece = std::min<std::uint32_t>(left, kDiscard);
                iov_[iovs++] = {discard_.data(), piece};
                left -= piece;
            }
            iov_[iovs++] = {tails_[batch].data(), 4 + pad};
            ++batch;
        }
        const long long got =
            VectoredIo::ReadFull(fd, iov_.data(), static_cast<int>(iovs), run.offset + (first + done) * run.stride);
        if (got < 0) return -1;
        const std::uint64_t whole = std::min<std::uint64_t>(static_cast<std::uint64_t>(got) / run.stride, batch);
        for (std::uint64_t i = 0; i < whole; ++i) {
            if (LittleEndian::Load32(heads_[i].data()) != expected ||
                LittleEndian::Load32(tails_[i].data() + pad) != expected)
                return static_cast<long long>(done + i);
        }
        if (whole < batch) return static_cast<long long>(done + whole);
        done += batch;
    }
    return static_cast<long long>(done);
}

bool SimhTapeImage::WriteRecords(int fd, std::uint64_t offset, std::uint32_t length, std::uint64_t count,
                                 const std::uint8_t* data, std::uint32_t) {
    const std::uint32_t pad = length & 1;
    const std::uint64_t stride = RecordBytes(length);
    // Framing words are the same for every record of a length: refill them
    // only when the length changes (reads overwrite them).
    if (framedLength_ != length) {
        for (std::size_t i = 0; i < kBatch; ++i) {
            LittleEndian::Store32(heads_[i].data(), length);
            tails_[i][0] = 0;
            LittleEndian::Store32(tails_[i].data() + pad, length);
        }
        framedLength_ = length;
    }
    std::uint64_t done = 0;
    while (done < count) {
        const std::size_t batch = static_cast<std::size_t>(std::min<std::uint64_t>(count - done, kBatch));
        std::size_t iovs = 0;
        for (std::size_t i = 0; i < batch; ++i) {
            iov_[iovs++] = {heads_[i].data(), 4};
            iov_[iovs++] = {const_cast<std::uint8_t*>(data + (done + i) * length), length};
            iov_[iovs++] = {tails_[i].data(), 4 + pad};
        }
        if (!VectoredIo::WriteFull(fd, iov_.data(), static_cast<int>(iovs), offset + done * stride)) return false;
        done += batch;
    }
    return true;
}

bool SimhTapeImage::WriteFilemarks(int fd, std::uint64_t offset, std::uint64_t count, std::uint32_t) {
    std::uint64_t bytes = count * 4;
    while (bytes > 0) {
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, zeros_.size()));
        iovec one{zeros_.data(), piece};
        if (!VectoredIo::WriteFull(fd, &one, 1, offset)) return false;
        offset += piece;
        bytes -= piece;
    }
    return true;
}

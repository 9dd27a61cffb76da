#include "aspi/virtual/ImageWindow.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kPage = 4096;
// Pieces this large that the buffer does not hold are read in place rather
// than through the buffer: copying them twice would cost more than the call
// saves.
constexpr std::size_t kDirect = ImageWindow::kSize / 4;

// Bytes read (fewer only at end of file), or -1.
long long ReadFull(int fd, std::uint8_t* out, std::size_t length, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

bool WriteFull(int fd, const std::uint8_t* data, std::size_t length, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t put = pwrite(fd, data + done, length - done, static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

}  // namespace

ImageWindow::ImageWindow(int fd, std::uint64_t fileSize)
    : fd_(fd), fileSize_(fileSize), buffer_(static_cast<std::uint8_t*>(std::aligned_alloc(kPage, kSize))) {
    if (buffer_ == nullptr) throw std::bad_alloc();
}

ImageWindow::~ImageWindow() { std::free(buffer_); }

void ImageWindow::SetFileSize(std::uint64_t size) {
    fileSize_ = size;
    filled_ = std::min<std::uint64_t>(filled_, size > start_ ? size - start_ : 0);
}

bool ImageWindow::Holds(std::uint64_t offset, std::size_t length) const {
    return offset >= start_ && offset - start_ <= filled_ && length <= filled_ - (offset - start_);
}

bool ImageWindow::Fill(std::uint64_t offset) {
    staged_ = 0;
    const std::uint64_t from = keep_ <= offset && offset - keep_ <= kSize / 2 ? keep_ : offset;
    start_ = from & ~static_cast<std::uint64_t>(kPage - 1);
    filled_ = 0;
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kSize, fileSize_ - start_));
    const long long got = ReadFull(fd_, buffer_, want, start_);
    if (got < 0) return false;
    filled_ = static_cast<std::size_t>(got);
    return true;
}

ImageWindow::Result ImageWindow::Read(std::uint64_t offset, void* out, std::size_t length, bool fill) {
    if (offset > fileSize_ || length > fileSize_ - offset) return Result::PastEnd;
    if (length == 0) return Result::Ok;
    if (!Holds(offset, length)) {
        if (!fill) return Result::NotBuffered;
        if (length >= kDirect) {
            const long long got = ReadFull(fd_, static_cast<std::uint8_t*>(out), length, offset);
            if (got < 0) return Result::IoError;
            return static_cast<std::size_t>(got) == length ? Result::Ok : Result::PastEnd;
        }
        if (!Fill(offset)) return Result::IoError;
        if (!Holds(offset, length)) return Result::PastEnd;  // the file shrank under us
    }
    std::memcpy(out, buffer_ + (offset - start_), length);
    return Result::Ok;
}

ImageWindow::Result ImageWindow::ReadAside(std::uint64_t offset, void* out, std::size_t length) {
    if (offset > fileSize_ || length > fileSize_ - offset) return Result::PastEnd;
    if (length == 0 || Holds(offset, length)) return Read(offset, out, length, false);
    const long long got = ReadFull(fd_, static_cast<std::uint8_t*>(out), length, offset);
    if (got < 0) return Result::IoError;
    return static_cast<std::size_t>(got) == length ? Result::Ok : Result::PastEnd;
}

void ImageWindow::BeginWrite(std::uint64_t offset) {
    filled_ = 0;
    start_ = offset;
    staged_ = 0;
    writeFailed_ = false;
}

void ImageWindow::Flush() {
    if (staged_ > 0 && !writeFailed_ && !WriteFull(fd_, buffer_, staged_, start_)) writeFailed_ = true;
    start_ += staged_;
    staged_ = 0;
}

void ImageWindow::Put(const void* data, std::size_t length) {
    if (length > kSize - staged_) {
        Flush();
        if (length >= kSize) {
            if (!writeFailed_ && !WriteFull(fd_, static_cast<const std::uint8_t*>(data), length, start_))
                writeFailed_ = true;
            start_ += length;
            return;
        }
    }
    std::memcpy(buffer_ + staged_, data, length);
    staged_ += length;
}

void ImageWindow::PutZeros(std::size_t length) {
    while (length > 0) {
        if (staged_ == kSize) Flush();
        const std::size_t piece = std::min(length, kSize - staged_);
        std::memset(buffer_ + staged_, 0, piece);
        staged_ += piece;
        length -= piece;
    }
}

bool ImageWindow::EndWrite() {
    Flush();
    filled_ = 0;
    return !writeFailed_;
}

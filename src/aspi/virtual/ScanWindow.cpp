#include "aspi/virtual/ScanWindow.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

ScanWindow::ScanWindow(int fd, std::uint64_t fileSize) : fd_(fd), fileSize_(fileSize), buffer_(kWindow) {}

ScanWindow::Result ScanWindow::Read(std::uint64_t offset, void* out, std::size_t length) {
    if (offset > fileSize_ || length > fileSize_ - offset) return Result::PastEnd;
    if (length > kWindow) return Result::IoError;  // callers only read headers and words
    if (offset < start_ || offset + length > start_ + filled_) {
        start_ = offset;
        filled_ = 0;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, fileSize_ - offset));
        while (filled_ < want) {
            const ssize_t got = pread(fd_, buffer_.data() + filled_, want - filled_,
                                      static_cast<off_t>(start_ + filled_));
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return Result::IoError;
            if (got == 0) break;
            filled_ += static_cast<std::size_t>(got);
        }
        if (filled_ < length) return Result::PastEnd;  // the file shrank under us
    }
    std::memcpy(out, buffer_.data() + (offset - start_), length);
    return Result::Ok;
}

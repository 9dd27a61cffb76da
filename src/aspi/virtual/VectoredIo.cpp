#include "aspi/virtual/VectoredIo.h"

#include <cerrno>
#include <climits>

namespace {

// Drops `done` bytes from the front of the iovec list.
void Advance(iovec*& iov, int& count, std::size_t done) {
    while (count > 0 && done >= iov->iov_len) {
        done -= iov->iov_len;
        ++iov;
        --count;
    }
    if (count > 0 && done > 0) {
        iov->iov_base = static_cast<char*>(iov->iov_base) + done;
        iov->iov_len -= done;
    }
}

}  // namespace

namespace VectoredIo {

long long ReadFull(int fd, iovec* iov, int count, std::uint64_t offset) {
    long long total = 0;
    while (count > 0) {
        const int batch = count < IOV_MAX ? count : IOV_MAX;
        const ssize_t got = preadv(fd, iov, batch, static_cast<off_t>(offset + total));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return -1;
        if (got == 0) break;
        total += got;
        Advance(iov, count, static_cast<std::size_t>(got));
    }
    return total;
}

bool WriteFull(int fd, iovec* iov, int count, std::uint64_t offset) {
    std::uint64_t total = 0;
    while (count > 0) {
        const int batch = count < IOV_MAX ? count : IOV_MAX;
        const ssize_t put = pwritev(fd, iov, batch, static_cast<off_t>(offset + total));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        total += static_cast<std::uint64_t>(put);
        Advance(iov, count, static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace VectoredIo

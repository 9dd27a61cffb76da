#pragma once
// Whole-transfer wrappers around preadv/pwritev: they carry on after short
// transfers and EINTR, rewriting the caller's iovec array in place (no
// allocation).

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>

namespace VectoredIo {

// Bytes read (less than asked only at end of file), or -1 on an I/O error.
long long ReadFull(int fd, iovec* iov, int count, std::uint64_t offset);
// True when every byte was written.
bool WriteFull(int fd, iovec* iov, int count, std::uint64_t offset);

}  // namespace VectoredIo

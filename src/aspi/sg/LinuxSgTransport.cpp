#include "aspi/sg/LinuxSgTransport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

int LinuxSgTransport::Open(const char* path) {
    // O_NONBLOCK: a node held by another program answers EBUSY at once
    // instead of waiting for it; SG_IO itself still blocks until the
    // command is done.
    const int fd = open(path, O_RDWR | O_NONBLOCK | O_EXCL | O_CLOEXEC);
    if (fd < 0) return -errno;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        close(fd);
        return -error;
    }
    return fd;
}

int LinuxSgTransport::SgIo(int fd, sg_io_hdr_t& hdr) {
    int rc;
    do {
        rc = ioctl(fd, SG_IO, &hdr);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? -errno : 0;
}

void LinuxSgTransport::Close(int fd) { close(fd); }

#include "aspi/sg/LinuxSgTransport.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

int LinuxSgTransport::Open(const char* path) {
    // O_NONBLOCK keeps open() from waiting for another holder of the device;
    // SG_IO itself still blocks until the command is done.
    const int fd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    return fd < 0 ? -errno : fd;
}

int LinuxSgTransport::SgIo(int fd, sg_io_hdr_t& hdr) {
    int rc;
    do {
        rc = ioctl(fd, SG_IO, &hdr);
    } while (rc < 0 && errno == EINTR);
    return rc < 0 ? -errno : 0;
}

void LinuxSgTransport::Close(int fd) { close(fd); }

#pragma once
// The system calls the SCSI generic adapter makes, behind an interface so
// tests can stand in for the kernel.

#include <scsi/sg.h>

class SgTransport {
public:
    virtual ~SgTransport() = default;
    // A file descriptor, or -errno.
    virtual int Open(const char* path) = 0;
    // 0 once the kernel has carried out the request (its outcome is in hdr),
    // or -errno.
    virtual int SgIo(int fd, sg_io_hdr_t& hdr) = 0;
    virtual void Close(int fd) = 0;
};

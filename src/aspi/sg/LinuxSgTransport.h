#pragma once
// SgTransport on the real kernel: open(2), ioctl(SG_IO), close(2).

#include "aspi/sg/SgTransport.h"

class LinuxSgTransport : public SgTransport {
public:
    // Opens the node for this program alone: O_EXCL makes the sg driver
    // refuse every other open of it (and this one while another holds it),
    // and an exclusive flock(2) tells programs that look for a lock. Either
    // refusal is -EBUSY. Neither keeps the st driver (/dev/nstN) out.
    int Open(const char* path) override;
    int SgIo(int fd, sg_io_hdr_t& hdr) override;
    void Close(int fd) override;
};

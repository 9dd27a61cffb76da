#pragma once
// SgTransport on the real kernel: open(2), ioctl(SG_IO), close(2).

#include "aspi/sg/SgTransport.h"

class LinuxSgTransport : public SgTransport {
public:
    int Open(const char* path) override;
    int SgIo(int fd, sg_io_hdr_t& hdr) override;
    void Close(int fd) override;
};

#include "aspi/sg/SgHostAdapter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "aspi/CdbTransfer.h"
#include "aspi/ScsiExec.h"
#include "aspi/sg/SgCompletion.h"

SgHostAdapter::SgHostAdapter(std::string identifier, std::array<SgDevice, kTargets> devices,
                             std::shared_ptr<SgTransport> transport, unsigned timeoutMs)
    : identifier_(identifier.substr(0, 16)), devices_(std::move(devices)), transport_(std::move(transport)),
      timeoutMs_(timeoutMs) {
    fds_.fill(-1);
}

SgHostAdapter::~SgHostAdapter() {
    for (int fd : fds_)
        if (fd >= 0) transport_->Close(fd);
}

int SgHostAdapter::DeviceType(int target) {
    if (target < 0 || target >= kTargets) return -1;
    return devices_[static_cast<std::size_t>(target)].type;
}

bool SgHostAdapter::HasType(int type) const {
    for (const SgDevice& device : devices_)
        if (device.type == type) return true;
    return false;
}

void SgHostAdapter::Execute(int target, ScsiExec& exec) {
    const auto t = static_cast<std::size_t>(target);
    if (fds_[t] < 0) {
        const int fd = transport_->Open(devices_[t].node.c_str());
        if (fd < 0) {
            // Usually permissions on /dev/sg*; said once, not per command.
            if (-fd != lastOpenError_)
                std::fprintf(stderr, "tapewren: cannot open %s: %s\n", devices_[t].node.c_str(), std::strerror(-fd));
            lastOpenError_ = -fd;
            exec.FinishTransportError(HASTAT_SEL_TO);
            return;
        }
        lastOpenError_ = 0;
        fds_[t] = fd;
    }

    const std::span<std::uint8_t> data = exec.Data();
    CdbTransfer transfer = CdbTransfer::Shape(exec.Cdb(), exec.Direction(), data.size());
    sg_io_hdr_t hdr{};
    hdr.interface_id = 'S';
    switch (transfer.direction) {
    case DataDirection::In:
        hdr.dxfer_direction = SG_DXFER_FROM_DEV;
        break;
    case DataDirection::Out:
        hdr.dxfer_direction = SG_DXFER_TO_DEV;
        break;
    case DataDirection::None:
        hdr.dxfer_direction = SG_DXFER_NONE;
        break;
    }
    hdr.cmd_len = static_cast<unsigned char>(transfer.cdbLength);
    hdr.cmdp = transfer.cdb.data();
    hdr.dxfer_len = static_cast<unsigned>(transfer.dataLength);
    hdr.dxferp = transfer.dataLength ? data.data() : nullptr;
    hdr.mx_sb_len = static_cast<unsigned char>(sense_.size());
    hdr.sbp = sense_.data();
    hdr.timeout = timeoutMs_;

    const int rc = transport_->SgIo(fds_[t], hdr);
    if (rc < 0) {
        if (rc == -ENODEV || rc == -ENXIO || rc == -EBADF) {
            // The device went away (unplugged, driver rebound): reopen next time.
            transport_->Close(fds_[t]);
            fds_[t] = -1;
        }
        SgCompletion::FinishFailedCall(-rc, exec);
        return;
    }
    SgCompletion::Finish(hdr, sense_, exec);
}

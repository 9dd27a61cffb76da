#include "aspi/sg/SgHostAdapter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "aspi/CdbTransfer.h"
#include "aspi/CommandTimeLimit.h"
#include "aspi/ScsiExec.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/sg/SgCompletion.h"

namespace {

constexpr unsigned kDidOk = 0x00;
constexpr std::size_t kInquiryHeader = 5;  // through the additional length byte

}  // namespace

SgHostAdapter::SgHostAdapter(std::string identifier, std::string name, std::array<SgDevice, kTargets> devices,
                             std::shared_ptr<SgTransport> transport)
    : identifier_(identifier.substr(0, 16)), name_(std::move(name)), devices_(std::move(devices)),
      transport_(std::move(transport)) {
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

SgProblem SgHostAdapter::Problem(int target) const {
    if (target < 0 || target >= kTargets) return {};
    const auto t = static_cast<std::size_t>(target);
    const SgDevice& device = devices_[t];
    return {device.node, device.address, device.sysfs, errors_[t], hostStatus_[t]};
}

void SgHostAdapter::Note(std::size_t target, int error, unsigned hostStatus) {
    errors_[target] = error;
    hostStatus_[target] = hostStatus;
}

// The kernel read the standard INQUIRY data when it found the device and
// keeps it in the `inquiry` file; only that (no EVPD page) is answered here.
bool SgHostAdapter::AnswerInquiry(const SgDevice& device, ScsiExec& exec) {
    const std::span<const std::uint8_t> cdb = exec.Cdb();
    if (cdb.size() < 6 || cdb[0] != ScsiOp::Inquiry || (cdb[1] & 0x01) != 0 || cdb[2] != 0 || device.sysfs.empty())
        return false;
    const int fd = ::open((device.sysfs + "/inquiry").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const ssize_t got = ::read(fd, inquiry_.data(), inquiry_.size());
    ::close(fd);
    if (got < static_cast<ssize_t>(kInquiryHeader)) return false;
    const CdbTransfer transfer = CdbTransfer::Shape(cdb, exec.Direction(), exec.Data().size());
    const std::size_t length = std::min(static_cast<std::size_t>(got), transfer.dataLength);
    std::copy_n(inquiry_.begin(), length, exec.Data().begin());
    exec.FinishGood();
    return true;
}

void SgHostAdapter::Execute(int target, ScsiExec& exec) {
    const auto t = static_cast<std::size_t>(target);
    const SgDevice& device = devices_[t];
    if (AnswerInquiry(device, exec)) return;
    if (device.node.empty()) {
        Note(t, ENOENT, kDidOk);
        exec.FinishTransportError(HASTAT_SEL_TO);
        return;
    }
    if (fds_[t] < 0) {
        const int fd = transport_->Open(device.node.c_str());
        if (fd < 0) {
            Note(t, -fd, kDidOk);
            // Held by another program: the drive is busy, as a drive that
            // another initiator has reserved is.
            if (fd == -EBUSY) {
                exec.FinishTargetStatus(STATUS_BUSY);
                return;
            }
            exec.FinishTransportError(HASTAT_SEL_TO);
            return;
        }
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
    hdr.timeout = CommandTimeLimit::For(transfer.cdb[0]);

    const int rc = transport_->SgIo(fds_[t], hdr);
    if (rc < 0) {
        if (rc == -ENODEV || rc == -ENXIO || rc == -EBADF) {
            // The device went away (unplugged, driver rebound): reopen next time.
            transport_->Close(fds_[t]);
            fds_[t] = -1;
        }
        Note(t, -rc, kDidOk);
        SgCompletion::FinishFailedCall(-rc, exec);
        return;
    }
    Note(t, 0, hdr.host_status);
    SgCompletion::Finish(hdr, sense_, exec);
}

#include "aspi/sg/SgCompletion.h"

#include <algorithm>
#include <cerrno>

#include "aspi/ScsiExec.h"

namespace {

// Linux host byte (DID_*) and driver byte (DRIVER_*) values.
enum : unsigned {
    kDidOk = 0x00,
    kDidNoConnect = 0x01,
    kDidBusBusy = 0x02,
    kDidTimeOut = 0x03,
    kDidBadTarget = 0x04,
    kDidAbort = 0x05,
    kDidParity = 0x06,
    kDidError = 0x07,
    kDidReset = 0x08,
    kDidTransportDisrupted = 0x0e,
    kDidTransportFailfast = 0x0f,
};
enum : unsigned { kDriverTimeout = 0x06, kDriverSense = 0x08 };

constexpr std::uint8_t kCheckCondition = 0x02;

void FinishHostError(unsigned host, ScsiExec& exec) {
    switch (host) {
    case kDidNoConnect:
    case kDidBadTarget:
    case kDidTransportDisrupted:
    case kDidTransportFailfast:
        exec.FinishTransportError(HASTAT_SEL_TO);
        return;
    case kDidTimeOut:
        exec.FinishTransportError(HASTAT_TIMEOUT);
        return;
    case kDidAbort:
        exec.FinishTransportError(HASTAT_COMMAND_TIMEOUT, SS_ABORTED);
        return;
    case kDidParity:
        exec.FinishTransportError(HASTAT_PARITY_ERROR);
        return;
    case kDidError:
        exec.FinishTransportError(HASTAT_DO_DU);
        return;
    case kDidReset:
        exec.FinishTransportError(HASTAT_BUS_RESET);
        return;
    case kDidBusBusy:
        exec.FinishTransportError(HASTAT_BUS_FREE);
        return;
    default:
        exec.FinishTransportError(HASTAT_PHASE_ERR);
        return;
    }
}

}  // namespace

namespace SgCompletion {

void Finish(const sg_io_hdr_t& hdr, std::span<const std::uint8_t> sense, ScsiExec& exec) {
    const unsigned host = hdr.host_status;
    const unsigned driver = hdr.driver_status & 0x0f;
    if (host != kDidOk) {
        FinishHostError(host, exec);
        return;
    }
    if (driver == kDriverTimeout) {
        exec.FinishTransportError(HASTAT_TIMEOUT);
        return;
    }
    // DRIVER_SENSE only says that sense data came back.
    if (driver != 0 && driver != kDriverSense) {
        exec.FinishTransportError(HASTAT_PHASE_ERR);
        return;
    }
    const std::uint8_t status = hdr.status & 0xfe;
    if (status == 0) {
        exec.FinishGood();
    } else if (status == kCheckCondition) {
        const std::size_t written = std::min<std::size_t>(hdr.sb_len_wr, sense.size());
        exec.FinishCheckCondition(sense.first(written));
    } else {
        exec.FinishTargetStatus(status);
    }
}

void FinishFailedCall(int error, ScsiExec& exec) {
    switch (error) {
    case ENODEV:
    case ENXIO:
    case EBADF:
        exec.FinishTransportError(HASTAT_SEL_TO);
        return;
    case ETIMEDOUT:
        exec.FinishTransportError(HASTAT_TIMEOUT);
        return;
    default:
        exec.FinishTransportError(HASTAT_PHASE_ERR);
        return;
    }
}

}  // namespace SgCompletion

#pragma once
// Turns what the kernel reports for one SG_IO request into the request's
// ASPI outcome: GOOD is SS_COMP; CHECK CONDITION is SS_ERR with target status
// 2 and the sense data; an error of the host or the driver is SS_ERR (a
// command aborted by the host, SS_ABORTED) with a host adapter status.

#include <cstdint>
#include <span>

#include <scsi/sg.h>

class ScsiExec;

namespace SgCompletion {

void Finish(const sg_io_hdr_t& hdr, std::span<const std::uint8_t> sense, ScsiExec& exec);
// For an ioctl that failed with errno `error` before the command ran.
void FinishFailedCall(int error, ScsiExec& exec);

}  // namespace SgCompletion

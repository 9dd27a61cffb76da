#pragma once
// One SCSI command in flight, as a host adapter sees it. The adapter carries
// it out and calls Finish exactly once, usually before Execute returns; an
// adapter may also keep it and finish it later from another thread. Finish
// writes the results into the request record, the status byte last.

#include <cstddef>
#include <cstdint>
#include <span>

#include "aspi/Srb.h"

enum class DataDirection { None, In, Out };

class ScsiExec {
public:
    explicit ScsiExec(SRB_ExecSCSICmd& srb);

    std::span<const std::uint8_t> Cdb() const;
    DataDirection Direction() const;
    // The request's data buffer; empty for commands without data.
    std::span<std::uint8_t> Data() const;
    int Target() const { return srb_->SRB_Target; }
    int Lun() const { return srb_->SRB_Lun; }

    // GOOD status: SS_COMP.
    void FinishGood();
    // CHECK CONDITION with sense data (fixed format, copied up to the
    // request's sense length): SS_ERR, target status 2.
    void FinishCheckCondition(std::span<const std::uint8_t> sense);
    // Any other target status (BUSY, RESERVATION CONFLICT): SS_ERR.
    void FinishTargetStatus(std::uint8_t targetStatus);
    // The transport failed (connection lost, time-out, device gone).
    void FinishTransportError(std::uint8_t hostAdapterStatus, std::uint8_t aspiStatus = SS_ERR);

private:
    void Finish(std::uint8_t aspiStatus, std::uint8_t haStatus, std::uint8_t targetStatus);

    SRB_ExecSCSICmd* srb_;
};

#include "aspi/ScsiExec.h"

#include <algorithm>
#include <cstring>

#include "aspi/Aspi.h"

ScsiExec::ScsiExec(SRB_ExecSCSICmd& srb) : srb_(&srb) {}

std::span<const std::uint8_t> ScsiExec::Cdb() const {
    const std::size_t length = std::min<std::size_t>(srb_->SRB_CDBLen, sizeof srb_->CDBByte);
    return {srb_->CDBByte, length};
}

DataDirection ScsiExec::Direction() const {
    if (srb_->SRB_Flags & SRB_DIR_IN) return DataDirection::In;
    if (srb_->SRB_Flags & SRB_DIR_OUT) return DataDirection::Out;
    return DataDirection::None;
}

std::span<std::uint8_t> ScsiExec::Data() const {
    if (srb_->SRB_BufPointer == nullptr) return {};
    return {srb_->SRB_BufPointer, srb_->SRB_BufLen};
}

void ScsiExec::FinishGood() { Finish(SS_COMP, HASTAT_OK, STATUS_GOOD); }

void ScsiExec::FinishCheckCondition(std::span<const std::uint8_t> sense) {
    const std::size_t room = std::min<std::size_t>(srb_->SRB_SenseLen, sizeof srb_->SenseArea);
    std::memset(srb_->SenseArea, 0, room);
    std::memcpy(srb_->SenseArea, sense.data(), std::min(room, sense.size()));
    Finish(SS_ERR, HASTAT_OK, STATUS_CHKCOND);
}

void ScsiExec::FinishTargetStatus(std::uint8_t targetStatus) { Finish(SS_ERR, HASTAT_OK, targetStatus); }

void ScsiExec::FinishTransportError(std::uint8_t hostAdapterStatus, std::uint8_t aspiStatus) {
    Finish(aspiStatus, hostAdapterStatus, STATUS_GOOD);
}

void ScsiExec::Finish(std::uint8_t aspiStatus, std::uint8_t haStatus, std::uint8_t targetStatus) {
    srb_->SRB_HaStat = haStatus;
    srb_->SRB_TargStat = targetStatus;
    SetSrbStatus(srb_->SRB_Status, aspiStatus);
}

#include "aspi/Aspi.h"

#include <atomic>
#include <cstring>

#include "aspi/HostAdapter.h"
#include "aspi/HostAdapterList.h"
#include "aspi/ScsiExec.h"

namespace {

constexpr int kTargets = 8;

void CopyPadded(BYTE (&field)[16], const std::string& text) {
    std::memset(field, ' ', sizeof field);
    std::memcpy(field, text.data(), text.size() < sizeof field ? text.size() : sizeof field);
}

DWORD HostAdapterInquiry(SRB_HAInquiry& srb) {
    const int count = HostAdapterList::Count();
    HostAdapter* adapter = HostAdapterList::At(srb.SRB_HaId);
    // Adapter 0 answers the count even when there is no adapter at all.
    if (adapter == nullptr && !(srb.SRB_HaId == 0 && count == 0)) {
        srb.SRB_Status = SS_INVALID_HA;
        return SS_INVALID_HA;
    }
    srb.HA_Count = static_cast<BYTE>(count);
    srb.HA_SCSI_ID = 7;
    CopyPadded(srb.HA_ManagerId, "ASPI for WIN32");
    CopyPadded(srb.HA_Identifier, adapter ? adapter->Identifier() : std::string());
    std::memset(srb.HA_Unique, 0, sizeof srb.HA_Unique);
    srb.HA_Unique[3] = kTargets;
    srb.SRB_Status = SS_COMP;
    return SS_COMP;
}

DWORD GetDeviceType(SRB_GDEVBlock& srb) {
    HostAdapter* adapter = HostAdapterList::At(srb.SRB_HaId);
    if (adapter == nullptr) {
        srb.SRB_Status = SS_INVALID_HA;
        return SS_INVALID_HA;
    }
    const int type = (srb.SRB_Target < kTargets && srb.SRB_Lun == 0) ? adapter->DeviceType(srb.SRB_Target) : -1;
    if (type < 0) {
        srb.SRB_Status = SS_NO_DEVICE;
        return SS_NO_DEVICE;
    }
    srb.SRB_DeviceType = static_cast<BYTE>(type);
    srb.SRB_Status = SS_COMP;
    return SS_COMP;
}

DWORD ExecScsiCommand(SRB_ExecSCSICmd& srb) {
    HostAdapter* adapter = HostAdapterList::At(srb.SRB_HaId);
    if (adapter == nullptr) {
        SetSrbStatus(srb.SRB_Status, SS_INVALID_HA);
        return SS_INVALID_HA;
    }
    if (srb.SRB_Target >= kTargets || srb.SRB_Lun != 0 || adapter->DeviceType(srb.SRB_Target) < 0) {
        SetSrbStatus(srb.SRB_Status, SS_NO_DEVICE);
        return SS_NO_DEVICE;
    }
    SetSrbStatus(srb.SRB_Status, SS_PENDING);
    ScsiExec exec(srb);
    adapter->Execute(srb.SRB_Target, exec);
    return SS_PENDING;
}

}  // namespace

BYTE SrbStatus(const BYTE& statusByte) {
    return std::atomic_ref<BYTE>(const_cast<BYTE&>(statusByte)).load(std::memory_order_acquire);
}

void SetSrbStatus(BYTE& statusByte, BYTE value) {
    std::atomic_ref<BYTE>(statusByte).store(value, std::memory_order_release);
}

DWORD SendASPI32Command(void* request) {
    if (request == nullptr) return SS_INVALID_CMD;
    auto* header = static_cast<SRB_Header*>(request);
    switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY:
        return HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(request));
    case SC_GET_DEV_TYPE:
        return GetDeviceType(*static_cast<SRB_GDEVBlock*>(request));
    case SC_EXEC_SCSI_CMD:
        return ExecScsiCommand(*static_cast<SRB_ExecSCSICmd*>(request));
    default:
        header->SRB_Status = SS_INVALID_CMD;
        return SS_INVALID_CMD;
    }
}

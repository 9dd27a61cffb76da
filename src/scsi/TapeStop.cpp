#include "scsi/TapeStop.h"

#include "aspi/SenseData.h"

TapeStop LastTapeStop(const ScsiDevice& device) {
    const SRB_ExecSCSICmd& r = device.Request();
    return SenseStop(r.SRB_Status, r.SRB_TargStat, r.SenseArea);
}

TapeStop SenseStop(BYTE status, BYTE targetStatus, const BYTE* sense) {
    if (status != SS_ERR || targetStatus != STATUS_CHKCOND) return TapeStop::Other;
    const BYTE flags = sense[SenseData::kFlagsAndKey];
    const BYTE key = SenseData::Key(sense);
    if (key == SenseKey::BlankCheck || (sense[SenseData::kAsc] == 0x00 && sense[SenseData::kAscq] == 0x05))
        return TapeStop::EndOfData;
    if (flags & SenseData::kFilemark) return TapeStop::Filemark;
    if (key == SenseKey::VolumeOverflow || (flags & SenseData::kEndOfMedium)) return TapeStop::EndOfMedium;
    if (flags & SenseData::kIncorrectLength) return TapeStop::WrongLength;
    if (key == SenseKey::UnitAttention || key == SenseKey::NotReady) return TapeStop::PositionLost;
    return TapeStop::Other;
}

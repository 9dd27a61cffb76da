#include "scsi/TapeStop.h"

namespace {

constexpr BYTE kFilemarkBit = 0x80;
constexpr BYTE kEndOfMediumBit = 0x40;
constexpr BYTE kBlankCheck = 0x08;
constexpr BYTE kVolumeOverflow = 0x0D;
constexpr std::size_t kFlagsAndKey = 2;
constexpr std::size_t kAsc = 12;
constexpr std::size_t kAscq = 13;

}  // namespace

TapeStop LastTapeStop(const ScsiDevice& device) {
    const SRB_ExecSCSICmd& r = device.Request();
    return SenseStop(r.SRB_Status, r.SRB_TargStat, r.SenseArea);
}

TapeStop SenseStop(BYTE status, BYTE targetStatus, const BYTE* sense) {
    if (status != SS_ERR || targetStatus != STATUS_CHKCOND) return TapeStop::Other;
    const BYTE flags = sense[kFlagsAndKey];
    const BYTE key = flags & 0x0F;
    if (key == kBlankCheck || (sense[kAsc] == 0x00 && sense[kAscq] == 0x05)) return TapeStop::EndOfData;
    if (flags & kFilemarkBit) return TapeStop::Filemark;
    if (key == kVolumeOverflow || (flags & kEndOfMediumBit)) return TapeStop::EndOfMedium;
    return TapeStop::Other;
}

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
    if (r.SRB_Status != SS_ERR || r.SRB_TargStat != STATUS_CHKCOND) return TapeStop::Other;
    const BYTE flags = r.SenseArea[kFlagsAndKey];
    const BYTE key = flags & 0x0F;
    if (key == kBlankCheck || (r.SenseArea[kAsc] == 0x00 && r.SenseArea[kAscq] == 0x05)) return TapeStop::EndOfData;
    if (flags & kFilemarkBit) return TapeStop::Filemark;
    if (key == kVolumeOverflow || (flags & kEndOfMediumBit)) return TapeStop::EndOfMedium;
    return TapeStop::Other;
}

#include "scsi/DriveReadiness.h"

#include <string>

#include "aspi/CommandTimeLimit.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "scsi/Sleep.h"

namespace {

constexpr unsigned kPollMs = 2000;
// Attentions come one per event; more in a row than this is a drive that
// keeps resetting.
constexpr int kMaxAttentions = 8;
constexpr std::uint8_t kLogicalUnitNotReady = 0x04;
constexpr std::uint8_t kBecomingReady = 0x01;
constexpr std::uint8_t kLoadNeeded = 0x02;

std::string WaitingText(unsigned waitedMs) {
    const unsigned seconds = waitedMs / 1000;
    std::string text = " The drive is loading the tape: waiting until it is ready (";
    if (seconds >= 60) text += std::to_string(seconds / 60) + " min ";
    return text + std::to_string(seconds % 60) + " s) ...";
}

}  // namespace

Readiness AwaitReady(ScsiDevice& device, const DriveAddress& drive, StatusSink& status) {
    Readiness result;
    const unsigned limitMs = CommandTimeLimit::For(ScsiOp::LoadUnload);
    unsigned waitedMs = 0;
    int attentions = 0;
    bool loadSent = false;
    for (;;) {
        if (device.CheckReady(drive.adapter, drive.target, drive.lun) == 0) {
            result.ready = true;
            return result;
        }
        const SRB_ExecSCSICmd& r = device.Request();
        if (r.SRB_TargStat != STATUS_CHKCOND) return result;
        const std::uint8_t key = SenseData::Key(r.SenseArea);
        const std::uint8_t asc = r.SenseArea[SenseData::kAsc];
        const std::uint8_t ascq = r.SenseArea[SenseData::kAscq];
        if (key == SenseKey::UnitAttention) {
            result.attention = true;
            if (++attentions > kMaxAttentions) return result;
            continue;
        }
        if (key != SenseKey::NotReady || asc != kLogicalUnitNotReady) return result;
        if (ascq == kLoadNeeded && !loadSent) {
            loadSent = true;
            result.waited = true;
            status.ShowStatus(" Loading the tape ...");
            if (device.Load(drive.adapter, drive.target, drive.lun) != 0 &&
                device.LastFailure().targetStatus != STATUS_CHKCOND)
                return result;
            continue;
        }
        if (ascq != kBecomingReady || waitedMs >= limitMs) return result;
        result.waited = true;
        status.ShowStatus(WaitingText(waitedMs));
        SleepMs(kPollMs);
        waitedMs += kPollMs;
    }
}

#include "jobs/JobDrive.h"

#include "scsi/DriveReadiness.h"
#include "scsi/ScsiDevice.h"
#include "scsi/TapeAlertText.h"
#include "tape/TapeVolume.h"

namespace {
constexpr std::uint64_t kCleanNow = std::uint64_t{1} << (0x14 - 1);
constexpr std::uint64_t kCleanPeriodic = std::uint64_t{1} << (0x15 - 1);
}  // namespace

JobDrive::JobDrive(JobContext& context) : c_(context) {}

std::uint64_t JobDrive::ShowAlerts() {
    const DriveAddress& a = c_.drive.address;
    std::uint64_t flags = 0;
    if (c_.device.ReadTapeAlert(flags, a.adapter, a.target, a.lun) != 0 || flags == 0) return 0;
    c_.messages.ShowMessage(MessageId::DriveAlerts, {TapeAlertText(flags)});
    return flags;
}

void JobDrive::Start() {
    // What commands before this job met was said by whoever ran them.
    c_.device.TakeWarnings();
    c_.volume.TakeWarnings();
    const DriveAddress& a = c_.drive.address;
    const Readiness ready = AwaitReady(c_.device, a, c_.status);
    // After a reset or a cartridge change the drive is back at its default
    // block length (variable, on most), which no transfer here can use.
    int length = c_.drive.blockLength;
    if (ready.ready && length > 0) {
        c_.volume.ForgetMode();
        int mediumType = 0, blockCount = 0, current = 0;
        const int sensed = c_.device.ModeSense(mediumType, blockCount, current, a.adapter, a.target, a.lun);
        if ((ready.attention || sensed != 0 || current != length) &&
            c_.device.ModeSelect(mediumType, blockCount, length, a.adapter, a.target, a.lun) != 0)
            c_.messages.ShowMessage(MessageId::ModeSelectFailed);
    }
    if (ready.ready) ShowAlerts();
}

void JobDrive::End() {
    const std::uint64_t alerts = ShowAlerts();
    DriveWarnings warnings = c_.device.TakeWarnings();
    warnings.Add(c_.volume.TakeWarnings());
    if (warnings.recovered > 0)
        c_.messages.ShowMessage(MessageId::DriveCorrectedErrors,
                                {warnings.recovered == 1 ? std::string("an error")
                                                         : std::to_string(warnings.recovered) + " errors"});
    // The TapeAlert message has said so already.
    if (warnings.cleaning > 0 && (alerts & (kCleanNow | kCleanPeriodic)) == 0)
        c_.messages.ShowMessage(MessageId::DriveNeedsCleaning);
}

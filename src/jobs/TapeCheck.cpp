#include "jobs/TapeCheck.h"

#include "jobs/JobWindow.h"
#include "scsi/ScsiDevice.h"

TapeCheck::TapeCheck(JobContext& context) : c_(context), match_(context.volume, context.dirFile) {}

int TapeCheck::Run(Wording wording) {
    const DriveAddress& a = c_.drive.address;
    c_.status.ShowStatus(" Rewinding tape ...");
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0) {
        c_.messages.ShowMessage("Rewind tape error", Error);
        c_.window.ShowDriveStatus();
        return -1;
    }
    c_.status.ShowStatus(" Checking tape ...");
    const TapeMatch match = match_.Check(c_.startDirectory, c_.currentTapeName, c_.currentDirFilePath);
    if (match == TapeMatch::Matches) return 0;
    c_.messages.ShowMessage(
        TapeCatalogMatch::MatchText(match, c_.currentTapeName, wording == Wording::RestoreOrVerify, false), Error);
    return -1;
}

#include "jobs/TapeCheck.h"

#include "jobs/JobEvents.h"
#include "scsi/ScsiDevice.h"

TapeCheck::TapeCheck(JobContext& context) : c_(context), match_(context.volume, context.dirFile) {}

int TapeCheck::Run(Wording wording) {
    const DriveAddress& a = c_.drive.address;
    c_.status.ShowStatus(" Rewinding tape ...");
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0) {
        c_.messages.ShowFailure(MessageId::RewindTapeError, c_.device.LastFailure());
        c_.events.ShowDriveStatus();
        return -1;
    }
    c_.status.ShowStatus(" Checking tape ...");
    const TapeMatch match = match_.Check(c_.startDirectory, c_.currentTapeName, c_.currentDirFilePath);
    if (match == TapeMatch::Matches) return 0;
    c_.messages.Show(
        TapeCatalogMatch::MatchMessage(match, c_.currentTapeName, wording == Wording::RestoreOrVerify, false));
    return -1;
}

#include "jobs/TapeCheck.h"

#include "catalog/DirFile.h"
#include "catalog/DirFilePath.h"
#include "jobs/JobWindow.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

TapeCheck::TapeCheck(JobContext& context) : c_(context) {}

int TapeCheck::Fail(const char* message, bool driveStatus) {
    c_.messages.ShowMessage(message, Error);
    if (driveStatus) c_.window.ShowDriveStatus();
    return -1;
}

int TapeCheck::Run(const char* notFoundMessage) {
    const DriveAddress& a = c_.drive.address;
    c_.status.ShowStatus(" Rewinding tape ...");
    if (c_.device.Rewind(a.adapter, a.target, a.lun) != 0) return Fail("Rewind tape error", true);

    c_.status.ShowStatus(" Checking tape ...");
    if (c_.volume.ReadIdentBlock(c_.currentTapeName, date_, version_) < 0)
        return Fail("Error reading IdentBlock from tape", false);
    // The name comes from the tape; one that would lead out of the start
    // directory names no catalog of ours.
    if (DirFilePath(c_.startDirectory, c_.currentTapeName, c_.currentDirFilePath) != 0) {
        c_.currentDirFilePath.clear();
        c_.messages.ShowMessage("Error: tape name not usable as a file name: '" + c_.currentTapeName + "'", Error);
        return -1;
    }

    const int read = c_.dirFile.ReadIdent(c_.currentDirFilePath, fileTapeName_, fileDate_, fileVersion_);
    if (read == -2) {
        c_.currentDirFilePath.clear();
        return Fail(notFoundMessage, false);
    }
    if (read != 0) return Fail("Error reading IdentBlock from hard drive", false);
    if (fileTapeName_ != c_.currentTapeName || fileDate_ != date_)
        return Fail("Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities tab.",
                    false);
    return 0;
}

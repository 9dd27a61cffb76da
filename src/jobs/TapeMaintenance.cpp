#include "jobs/TapeMaintenance.h"

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "jobs/MaintenanceHost.h"
#include "scsi/ScsiDevice.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/ProgramVersion.h"
#include "tape/TapeVolume.h"

TapeMaintenance::TapeMaintenance(MessageSink& messages, StatusSink& status, MaintenanceHost& host, TapeVolume& tape,
                                 DirFile& dirFile, ScsiDevice& device, const DriveAddress& drive)
    : messages_(messages), status_(status), host_(host), tape_(tape), dirFile_(dirFile), device_(device),
      drive_(drive) {}

JobResult TapeMaintenance::FormatTape(const std::string& newName, CurrentTape current) {
    const std::string previousPath = current.dirFilePath;
    const std::string previousName = current.tapeName;
    current.tapeName = newName;
    if (newName.empty()) {
        messages_.ShowMessage(MessageId::NoTapeName);
        host_.ShowDriveStatus();
        return JobResult::Refused;
    }
    // The name becomes a file name in the start directory.
    if (!IsPlainName(newName)) {
        current.tapeName = previousName;
        messages_.ShowMessage(MessageId::TapeNameNotAllowed);
        host_.ShowDriveStatus();
        return JobResult::Refused;
    }
    JoinPath(current.startDirectory, newName, current.dirFilePath);
    current.dirFilePath += DirFileFormat::kExtension;

    if (dirFile_.Exists(current.dirFilePath) &&
        messages_.ShowMessage(MessageId::TapeNameExists) != kMessageOk) {
        host_.ShowDriveStatus();
        current.dirFilePath = previousPath;
        return JobResult::Declined;
    }
    JobResult result = JobResult::Done;
    if (messages_.ShowMessage(MessageId::FormatQuestion) == kMessageOk) {
        status_.ShowStatus(" Formatting tape...");
        // A name the tape refuses fails before any command: an older failure
        // must not be reported as this one.
        const unsigned long before = tape_.LastCommandFailure().serial;
        if (tape_.WriteIdentBlock(current.tapeName) < 0) {
            const CommandFailure& failure = tape_.LastCommandFailure();
            messages_.ShowFailure(MessageId::ErrorWritingIdentOnTape,
                                  failure.serial != before ? failure : CommandFailure{});
            host_.ShowDriveStatus();
            return JobResult::Failed;
        }
        // The date the ident block carries, so that the catalog matches the
        // tape even when midnight passed in between.
        if (dirFile_.CreateFromIdent(current.tapeName, current.dirFilePath, tape_.LastIdentDate(),
                                     kProgramVersion) != 0) {
            messages_.ShowMessage(MessageId::ErrorWritingIdentOnDisk);
            host_.ShowDriveStatus();
            return JobResult::Failed;
        }
    } else {
        current.dirFilePath = previousPath;
        result = JobResult::Declined;
    }
    host_.ShowDirectoryFiles();
    host_.ShowDriveStatus();
    return result;
}

JobResult TapeMaintenance::CheckTape() {
    status_.ShowStatus(" Checking tape...");
    std::string name, date, version;
    if (tape_.ReadIdentBlock(name, date, version) < 0) {
        messages_.ShowFailure(MessageId::IdentUnreadable, tape_.LastCommandFailure());
        host_.ShowDriveStatus();
        return JobResult::Failed;
    }
    host_.ShowDriveStatus();
    messages_.ShowMessage(MessageId::TapeCheckResult, {name, date, version});
    return JobResult::Done;
}

JobResult TapeMaintenance::EjectTape() {
    status_.ShowStatus(" Ejecting tape...");
    const int ejected = device_.Eject(drive_.adapter, drive_.target, drive_.lun);
    host_.ShowDriveStatus();
    return ejected == 0 ? JobResult::Done : JobResult::Failed;
}

#include "jobs/RebuildDirFile.h"

#include <cstdint>

#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "catalog/DirFilePath.h"
#include "jobs/MaintenanceHost.h"
#include "scsi/ScsiDevice.h"
#include "tape/PlainName.h"
#include "tape/TapeVolume.h"

namespace {

// A name from tape becomes a catalog entry and, on restore, a file in the
// restore folder: it must fit the entry's name field and stay in that folder.
bool UsableName(const std::string& name) {
    return IsPlainName(name) && name.size() <= DirFileFormat::kMaxNameLength;
}

}  // namespace

RebuildDirFile::RebuildDirFile(MessageSink& messages, StatusSink& status, ScsiDevice& device,
                               const DriveAddress& drive, TapeVolume& volume, DirFile& dirFile)
    : messages_(messages), status_(status), device_(device), drive_(drive), volume_(volume), dirFile_(dirFile) {}

int RebuildDirFile::Fail(const std::string& text, MaintenanceHost& host) {
    messages_.ShowMessage(text, Error);
    host.ShowDriveStatus();
    return kFailed;
}

int RebuildDirFile::Run(const std::string& startDirectory, MaintenanceHost& host) {
    path_.clear();
    if (messages_.ShowMessage("This function will take a while.\n(You can do a full restore without the Directory "
                              "file.)\n\nCreate the Directory File anyway?",
                              Question) != kMessageOk)
        return kDeclined;

    status_.ShowStatus(" Rewinding tape ...");
    if (device_.Rewind(drive_.adapter, drive_.target, drive_.lun) != 0)
        return Fail("Rewind tape error", host);

    status_.ShowStatus(" Reading tape ...");
    std::string tapeName, formatDate, version;
    if (volume_.ReadIdentBlock(tapeName, formatDate, version) < 0)
        return Fail("Error reading IdentBlock from tape", host);
    if (DirFilePath(startDirectory, tapeName, path_) != 0)
        return Fail("Error: the tape name '" + tapeName + "' cannot be used as a file name", host);

    if (dirFile_.Exists(path_) &&
        messages_.ShowMessage("A tape with that name exists already. Overwrite?", Question) != kMessageOk) {
        host.ShowDriveStatus();
        return kDeclined;
    }
    if (dirFile_.CreateFromIdent(tapeName, path_, formatDate, version) != 0)
        return Fail("Error writing to Ident block to disk", host);

    std::string name, fileDate, backupDate;
    std::int32_t size = 0, blockCount = 0;
    for (long record = 1;; ++record) {
        if (device_.SpaceFilemarks(1, drive_.adapter, drive_.target, drive_.lun) != 0) break;
        if (volume_.ReadFileHeader(name, fileDate, backupDate, size, blockCount) < 0) break;
        if (!UsableName(name))
            return Fail("Error: the name of file record " + std::to_string(record) +
                            " on tape cannot be used as a file name: '" + name +
                            "'\nThe Directory File was written up to record " + std::to_string(record - 1) + ".",
                        host);
        status_.ShowStatus(" Reading File Info: " + name + " ...");
        if (dirFile_.AppendEntry(path_, name, fileDate, backupDate, size, blockCount) != 0)
            return Fail("Error writing file header info to disk", host);
    }

    status_.ShowStatus("Finished.");
    host.ShowDirectoryFiles();
    messages_.ShowMessage("Finished creating Directory File", Success);
    host.ShowDriveStatus();
    return kFinished;
}

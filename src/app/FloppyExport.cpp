#include "app/FloppyExport.h"

#include "catalog/DirFileCopy.h"
#include "catalog/DirFileFormat.h"
#include "jobs/MaintenanceHost.h"
#include "lists/ListModel.h"
#include "tape/JoinPath.h"

FloppyExport::FloppyExport(MessageSink& messages, StatusSink& status, DirFileCopy& copy)
    : messages_(messages), status_(status), copy_(copy) {}

int FloppyExport::Export(const std::string& name) {
    status_.ShowStatus(" Writing '" + name + ".twd' to floppy...");
    std::string path;
    JoinPath(copy_.StartDirectory(), name + DirFileFormat::kExtension, path);
    const int copied = copy_.CopyToFloppy(path);
    switch (copied) {
    case kCopyDestinationUnwritable:
        messages_.ShowMessage(MessageId::ErrorWritingDirFileToFloppy);
        break;
    case kCopySourceUnreadable:
        messages_.ShowMessage(MessageId::ErrorReadingDirFileFromHd);
        break;
    default:
        break;
    }
    return copied;
}

JobResult FloppyExport::Run(const std::string& shownCatalog, const ListModel& list, MaintenanceHost& host) {
    std::vector<std::string> names;
    if (!shownCatalog.empty()) {
        names.push_back(shownCatalog);
    } else {
        for (const ListRow& row : list.Rows())
            if (row.selected) names.push_back(row.Text(0));
    }
    return ExportCatalogs(names, host);
}

JobResult FloppyExport::ExportCatalogs(const std::vector<std::string>& tapeNames, MaintenanceHost& host) {
    JobResult result = JobResult::Done;
    copied_.clear();
    for (const std::string& name : tapeNames) {
        const int copied = Export(name);
        if (copied == kCopyDone) copied_.push_back(name + DirFileFormat::kExtension);
        // A copy declined leaves the floppy's file; the others still go.
        if (copied == kCopyDeclined) result = JobResult::Declined;
        if (copied == kCopyDone || copied == kCopyDeclined) continue;
        result = JobResult::Failed;
        break;
    }
    if (tapeNames.empty()) {
        messages_.ShowMessage(MessageId::NoDirectoryFileSelected);
        result = JobResult::Refused;
    }
    host.ShowDriveStatus();
    return result;
}

#include "ui/FloppyExport.h"

#include "catalog/DirFileCopy.h"
#include "catalog/DirFileFormat.h"
#include "jobs/MaintenanceHost.h"
#include "tape/JoinPath.h"
#include "ui/ListModel.h"

namespace {

const std::string kContentsPrefix = "Contents of tape '";
const std::string kContentsSuffix = "':";

}  // namespace

FloppyExport::FloppyExport(MessageSink& messages, StatusSink& status, DirFileCopy& copy)
    : messages_(messages), status_(status), copy_(copy) {}

bool FloppyExport::Export(const std::string& name) {
    status_.ShowStatus(" Writing '" + name + ".twd' to floppy...");
    std::string path;
    JoinPath(copy_.StartDirectory(), name + DirFileFormat::kExtension, path);
    switch (copy_.CopyToFloppy(path)) {
    case kCopyDestinationUnwritable:
        messages_.ShowMessage("Error writing Directory File to floppy", Error);
        return false;
    case kCopySourceUnreadable:
        messages_.ShowMessage("Error reading Directory File from HD", Error);
        return false;
    default:
        return true;
    }
}

JobResult FloppyExport::Run(const std::string& rightLabel, const ListModel& rightList, MaintenanceHost& host) {
    JobResult result = JobResult::Done;
    if (rightLabel.rfind("Contents", 0) == 0) {
        // The whole label is taken, not a 98-character prefix: a long name
        // would otherwise be cut and name another file.
        std::string name;
        if (rightLabel.size() >= kContentsPrefix.size() + kContentsSuffix.size())
            name = rightLabel.substr(kContentsPrefix.size(),
                                     rightLabel.size() - kContentsPrefix.size() - kContentsSuffix.size());
        if (!Export(name)) result = JobResult::Failed;
    } else {
        bool anySelected = false;
        for (const ListRow& row : rightList.Rows()) {
            if (!row.selected) continue;
            anySelected = true;
            if (!Export(row.Text(0))) {
                result = JobResult::Failed;
                break;
            }
        }
        if (!anySelected) {
            messages_.ShowMessage("No Directory File selected", Oops);
            result = JobResult::Refused;
        }
    }
    host.ShowDriveStatus();
    return result;
}

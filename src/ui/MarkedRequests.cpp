#include "ui/MarkedRequests.h"

#include "lists/ListImage.h"
#include "lists/ListModel.h"

namespace {

std::vector<int> MarkedEntries(const ListModel& list, int fileImage, int archiveImage) {
    std::vector<int> entries;
    const auto& rows = list.Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].image == fileImage || rows[i].image == archiveImage) entries.push_back(static_cast<int>(i));
    return entries;
}

}  // namespace

namespace MarkedRequests {

BackupRequest Backup(const ListModel& list, const std::string& folder) {
    BackupRequest request;
    request.folder = folder;
    for (const ListRow& row : list.Rows()) {
        if (row.image == kImageArchiveBackup) request.archives.push_back(row.Text(0));
        if (row.image == kImageFileBackup) request.files.push_back(row.Text(0));
    }
    return request;
}

RestoreRequest Restore(const ListModel& list, const std::string& folder) {
    RestoreRequest request;
    request.entries = MarkedEntries(list, kImageFileRestore, kImageArchiveRestore);
    request.listed = static_cast<int>(list.Rows().size());
    request.folder = folder;
    return request;
}

VerifyRequest Verify(const ListModel& list, const std::string& folder) {
    VerifyRequest request;
    request.entries = MarkedEntries(list, kImageFileVerify, kImageArchiveVerify);
    request.listed = static_cast<int>(list.Rows().size());
    request.folder = folder;
    return request;
}

}  // namespace MarkedRequests

#include "catalog/DirFileLister.h"

#include <cctype>
#include <cstdint>

#include "catalog/DirFile.h"
#include "lists/ListImage.h"
#include "lists/ListModel.h"

DirFileLister::DirFileLister(DirFile& dirFile, MessageSink& messages, std::function<void()> showDriveStatus)
    : dirFile_(dirFile), messages_(messages), showDriveStatus_(std::move(showDriveStatus)) {}

int DirFileLister::ImageFor(const std::string& name) {
    if (name.size() < 3) return kImageFile;
    std::string tail = name.substr(name.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "zip" ? kImageArchive : kImageFile;
}

int DirFileLister::ListDirFile(ListModel& list, const std::string& path, bool withUpRow) {
    list.ClearRows();
    if (withUpRow) list.AddRow({{"..", "<Up>"}, kImageDirFile, 0});
    if (dirFile_.OpenForReading(path) != 0) {
        messages_.ShowMessage(MessageId::ErrorOpeningDirFile);
        if (showDriveStatus_) showDriveStatus_();
        return -1;
    }
    if (dirFile_.SkipIdent() != 0) {
        messages_.ShowMessage(MessageId::ErrorSkippingToFileInfo);
        if (showDriveStatus_) showDriveStatus_();
        dirFile_.Close();
        return -1;
    }
    std::string name, fileDate, backupDate;
    std::int32_t size = 0;
    std::int32_t blockCount = 0;
    std::int64_t index = 0;
    while (dirFile_.ReadNextEntry(name, fileDate, backupDate, size, blockCount) == 0)
        list.AddRow({{name, std::to_string(size), fileDate, backupDate}, ImageFor(name), index++});
    dirFile_.Close();
    return 0;
}

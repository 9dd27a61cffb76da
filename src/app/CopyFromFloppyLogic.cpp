#include "app/CopyFromFloppyLogic.h"

#include <algorithm>
#include <cstdint>
#include <strings.h>
#include <vector>

#include "app/DriveBrowser.h"
#include "catalog/DirFile.h"
#include "catalog/DirFileCopy.h"
#include "catalog/DirFileFormat.h"
#include "lists/ListImage.h"

namespace {

const char kUpText[] = "..";

bool IsArchiveName(const std::string& name) {
    return name.size() >= 3 && ::strcasecmp(name.c_str() + name.size() - 3, "zip") == 0;
}

// Case-blind first, so "alpha" and "Beta" stand as a reader expects; bytes
// decide between names that differ only in case.
bool TextBefore(const ListRow& a, const ListRow& b) {
    const int folded = ::strcasecmp(a.Text(0).c_str(), b.Text(0).c_str());
    return folded != 0 ? folded < 0 : a.Text(0) < b.Text(0);
}

}  // namespace

CopyFromFloppyLogic::CopyFromFloppyLogic(MessageSink& messages, DriveBrowser& browser, DirFile& dirFile,
                                         DirFileCopy& copy)
    : messages_(messages), browser_(browser), dirFile_(dirFile), copy_(copy), folder_(copy.Floppy()) {
    if (folder_.empty() || folder_.back() != '/') folder_ += '/';
}

bool CopyFromFloppyLogic::Initialise() {
    list_.SetColumns({{"Filename", 200, ColumnAlign::Left},
                      {"Size", 63, ColumnAlign::Right},
                      {"FileDate", 66, ColumnAlign::Left}});
    pathLabel_ = folder_;
    contentsName_.clear();
    if (browser_.Fill(list_, folder_, "*.twd") != 0) return false;
    SortByText();
    return true;
}

void CopyFromFloppyLogic::ShowFloppy() {
    pathLabel_ = folder_;
    contentsName_.clear();
    // A disk taken out meanwhile: the browser has said so and the list keeps
    // what it showed.
    if (browser_.Fill(list_, folder_, "*.twd") == 0) SortByText();
}

void CopyFromFloppyLogic::ShowContents(const std::string& name) {
    pathLabel_ = "Contents of Directory File '" + folder_ + name + "':";
    contentsName_ = name;
    list_.ClearRows();
    list_.AddRow({{kUpText, "<Up>"}, kImageDirFile, 0});
    if (dirFile_.OpenForReading(FloppyPathOf(name)) != 0) {
        messages_.ShowMessage(MessageId::ErrorOpeningDirFile);
        return;
    }
    if (dirFile_.SkipIdent() != 0) {
        messages_.ShowMessage(MessageId::ErrorSkippingToFileInfo);
        dirFile_.Close();
        return;
    }
    std::string entryName, fileDate, backupDate;
    std::int32_t size = 0, blockCount = 0;
    while (dirFile_.ReadNextEntry(entryName, fileDate, backupDate, size, blockCount) == 0)
        list_.AddRow({{entryName, std::to_string(size), fileDate},
                      IsArchiveName(entryName) ? kImageArchive : kImageFile, 0});
    dirFile_.Close();
    SortByText();
}

void CopyFromFloppyLogic::SortByText() {
    std::vector<ListRow> rows = list_.Rows();
    std::stable_sort(rows.begin(), rows.end(), TextBefore);
    list_.ClearRows();
    for (auto& row : rows) list_.AddRow(std::move(row));
}

std::string CopyFromFloppyLogic::FloppyPathOf(const std::string& name) const {
    return folder_ + name + DirFileFormat::kExtension;
}

void CopyFromFloppyLogic::OpenFocused() {
    const std::ptrdiff_t focused = list_.FocusedIndex();
    if (focused < 0) return;
    const ListRow& row = list_.Row(static_cast<std::size_t>(focused));
    if (row.image != kImageDirFile) return;
    const std::string text = row.Text(0);
    if (text == kUpText)
        ShowFloppy();
    else
        ShowContents(text);
}

bool CopyFromFloppyLogic::Accept() {
    allCopied_ = false;
    copied_.clear();
    if (ShowsContents()) {
        switch (copy_.CopyToHardDrive(FloppyPathOf(contentsName_))) {
        case kCopyDone:
            allCopied_ = true;
            copied_.push_back(contentsName_ + DirFileFormat::kExtension);
            return true;
        case kCopyDestinationUnwritable:
            messages_.ShowMessage(MessageId::ErrorWritingDirFileToHarddrive);
            return false;
        case kCopySourceUnreadable:
            messages_.ShowMessage(MessageId::ErrorReadingDirFileFromFloppy);
            return false;
        default:
            return false;
        }
    }

    bool anySelected = false;
    bool anyCopied = false;
    bool allCopied = true;
    // Copies may show questions; the rows stay as they are meanwhile.
    for (std::size_t i = 0; i < list_.RowCount(); ++i) {
        if (!list_.Row(i).selected) continue;
        anySelected = true;
        switch (copy_.CopyToHardDrive(FloppyPathOf(list_.Row(i).Text(0)))) {
        case kCopyDone:
            anyCopied = true;
            copied_.push_back(list_.Row(i).Text(0) + DirFileFormat::kExtension);
            break;
        case kCopyDestinationUnwritable:
            messages_.ShowMessage(MessageId::ErrorWritingDirFileToHarddrive);
            return false;
        case kCopySourceUnreadable:
            messages_.ShowMessage(MessageId::ErrorReadingDirFileFromFloppyView);
            return false;
        default:
            allCopied = false;
            break;
        }
    }
    if (!anySelected) messages_.ShowMessage(MessageId::NoDirectoryFileSelected);
    allCopied_ = anySelected && allCopied;
    return anyCopied;
}

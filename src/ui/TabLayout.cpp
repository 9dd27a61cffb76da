#include "ui/TabLayout.h"

#include <algorithm>

#include "ui/ControlId.h"

namespace {

ListColumn Left(const char* title, int width) { return {title, width, ColumnAlign::Left}; }
ListColumn Right(const char* title, int width) { return {title, width, ColumnAlign::Right}; }

const std::array<TabLayout, kTabCount>& Layouts() {
    // The Backup tab's catalog has a narrower size column than the Restore
    // and Verify ones: 60 against 63 pixels.
    static const std::array<TabLayout, kTabCount> layouts = {{
        {kStart,
         ListRole::DriveBrowser,
         ListRole::TapeDirectory,
         {Left("Filename", 99), Right("Size", 63), Left("FileDate", 66)},
         {Left("Filename", 99), Right("Size", 60), Left("FileDate", 66), Left("BackupDate", 80)},
         35,
         {kStart, kBackupArrow, kLeftList, kLeftListLabel, kRightList, kRightListLabel, kRightDirTape}},
        {kStart,
         ListRole::TapeDirectory,
         ListRole::DriveBrowser,
         {Left("Filename", 99), Right("Size", 63), Left("FileDate", 66), Left("BackupDate", 80)},
         {Left("Filename", 99), Right("Size", 63), Left("FileDate", 66)},
         25,
         {kStart, kRestoreArrow, kLeftList, kLeftListLabel, kLeftDirTape, kMarkAll, kMarkNone, kRightList,
          kRightListLabel}},
        {kStart,
         ListRole::TapeDirectory,
         ListRole::DriveBrowser,
         {Left("Filename", 99), Right("Size", 63), Left("FileDate", 66), Left("BackupDate", 80)},
         {Left("Filename", 99), Right("Size", 63), Left("FileDate", 66)},
         25,
         {kStart, kVerifyArrow, kLeftList, kLeftListLabel, kLeftDirTape, kMarkAll, kMarkNone, kRightList,
          kRightListLabel}},
        {kFormatTape,
         ListRole::Hidden,
         ListRole::DirectoryFiles,
         {},
         {Left("Filename", 112), Right("Size", 63), Left("FileDate", 66)},
         0,
         {kFormatTape, kRebuildArrow, kImportArrow, kExportArrow, kCheckTape, kEjectTape, kImportFromFloppy,
          kCreateDirFile, kExportToFloppy, kFormatHint, kTapeNameField, kTapeNameLabel, kRightList,
          kRightListLabel}},
    }};
    return layouts;
}

}  // namespace

const TabLayout& TabLayout::For(int tab) {
    const auto& layouts = Layouts();
    return layouts[tab >= 0 && tab < kTabCount ? static_cast<std::size_t>(tab) : 0];
}

const std::vector<int>& TabLayout::AreaControls() {
    static const std::vector<int> controls = {
        kStart,          kBackupArrow,    kRestoreArrow,  kRebuildArrow,  kImportArrow,     kExportArrow,
        kVerifyArrow,    kFormatTape,     kEjectTape,     kCheckTape,     kExportToFloppy,  kImportFromFloppy,
        kCreateDirFile,  kFormatHint,     kTapeNameField, kTapeNameLabel, kLeftList,        kLeftListLabel,
        kLeftDirTape,    kRightList,      kRightListLabel, kRightDirTape, kMarkAll,         kMarkNone,
    };
    return controls;
}

bool TabLayout::Shows(int controlId) const {
    return std::find(shown.begin(), shown.end(), controlId) != shown.end();
}

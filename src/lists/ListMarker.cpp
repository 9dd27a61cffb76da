#include "lists/ListMarker.h"

#include <cstdlib>

#include "lists/ListImage.h"
#include "lists/ListModel.h"
#include "lists/Tab.h"

namespace {

bool IsUnmarked(int image) { return image == kImageFile || image == kImageArchive; }

bool IsMarked(int image, ListMarker::Marks marks) {
    return marks.file >= 0 && (image == marks.file || image == marks.archive);
}

int MarkedImage(int image, ListMarker::Marks marks) {
    return image == kImageFile || image == marks.file ? marks.file : marks.archive;
}

int UnmarkedImage(int image, ListMarker::Marks marks) { return image == marks.file ? kImageFile : kImageArchive; }

// "." on the Backup tab: every file and archive gets marked (or unmarked).
std::int64_t MarkEveryFile(ListModel& list, ListMarker::Marks marks, bool mark) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < list.RowCount(); ++i) {
        const ListRow& row = list.Row(i);
        if (!IsUnmarked(row.image) && !IsMarked(row.image, marks)) continue;
        if (mark) {
            list.SetImage(i, MarkedImage(row.image, marks));
            total += ListMarker::SizeOf(row);
        } else if (IsMarked(row.image, marks)) {
            list.SetImage(i, UnmarkedImage(row.image, marks));
        }
    }
    return total;
}

}  // namespace

ListMarker::Marks ListMarker::For(int tab) {
    switch (tab) {
    case kBackupTab:
        return {kImageFileBackup, kImageArchiveBackup};
    case kRestoreTab:
        return {kImageFileRestore, kImageArchiveRestore};
    case kVerifyTab:
        return {kImageFileVerify, kImageArchiveVerify};
    default:
        return {-1, -1};
    }
}

std::int64_t ListMarker::SizeOf(const ListRow& row) {
    return std::strtoll(row.Text(1).c_str(), nullptr, 10);
}

std::int64_t ListMarker::Click(ListModel& list, int tab) {
    const Marks marks = For(tab);
    if (marks.file < 0) return 0;
    const bool backup = tab == kBackupTab;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < list.RowCount(); ++i) {
        const ListRow& row = list.Row(i);
        const int old = row.image;
        if (IsMarked(old, marks)) total += SizeOf(row);
        if (!row.selected) continue;
        if (!row.focused) {
            // The rest of a multiple selection: marked, never unmarked.
            if (IsUnmarked(old)) {
                list.SetImage(i, MarkedImage(old, marks));
                total += SizeOf(row);
            }
            continue;
        }
        if (IsUnmarked(old)) {
            list.SetImage(i, MarkedImage(old, marks));
            total += SizeOf(row);
        } else if (IsMarked(old, marks)) {
            list.SetImage(i, UnmarkedImage(old, marks));
            total -= SizeOf(row);
            if (backup) {
                for (std::size_t d = 0; d < list.RowCount(); ++d) {
                    if (list.Row(d).Text(0) == ".") {
                        list.SetImage(d, kImageFolder);
                        break;
                    }
                }
            }
        } else if (backup && row.Text(0) == "." && old == kImageFolder) {
            list.SetImage(i, kImageRedFolder);
            return MarkEveryFile(list, marks, true);
        } else if (backup && row.Text(0) == "." && old == kImageRedFolder) {
            list.SetImage(i, kImageFolder);
            MarkEveryFile(list, marks, false);
            return 0;
        }
    }
    return total;
}

std::int64_t ListMarker::MarkAll(ListModel& list, int tab) {
    if (tab != kRestoreTab && tab != kVerifyTab) return 0;
    const Marks marks = For(tab);
    std::int64_t total = 0;
    for (std::size_t i = 0; i < list.RowCount(); ++i) {
        const ListRow& row = list.Row(i);
        if (!IsUnmarked(row.image) && !IsMarked(row.image, marks)) continue;
        list.SetImage(i, MarkedImage(row.image, marks));
        total += SizeOf(row);
    }
    return total;
}

void ListMarker::UnmarkAll(ListModel& list, int tab) {
    if (tab != kRestoreTab && tab != kVerifyTab) return;
    const Marks marks = For(tab);
    for (std::size_t i = 0; i < list.RowCount(); ++i)
        if (IsMarked(list.Row(i).image, marks)) list.SetImage(i, UnmarkedImage(list.Row(i).image, marks));
}

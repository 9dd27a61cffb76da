#include "cli/RowMarker.h"

#include "lists/ListImage.h"
#include "lists/ListMarker.h"
#include "lists/ListModel.h"
#include "lists/Tab.h"

namespace {

// The marked image for a row's kind, or -1 when the row takes no mark.
int MarkedImage(int image, ListMarker::Marks marks) {
    if (image == kImageFile || image == marks.file) return marks.file;
    if (image == kImageArchive || image == marks.archive) return marks.archive;
    return -1;
}

std::int64_t MarkedTotal(const ListModel& list, ListMarker::Marks marks) {
    std::int64_t total = 0;
    for (const ListRow& row : list.Rows())
        if (row.image == marks.file || row.image == marks.archive) total += ListMarker::SizeOf(row);
    return total;
}

std::int64_t Mark(ListModel& list, int tab, const std::vector<std::string>& names, bool last, std::string& missing) {
    const ListMarker::Marks marks = ListMarker::For(tab);
    for (const std::string& name : names) {
        std::ptrdiff_t found = -1;
        for (std::size_t i = 0; i < list.RowCount(); ++i) {
            const ListRow& row = list.Row(i);
            if (row.Text(0) != name || MarkedImage(row.image, marks) < 0) continue;
            found = static_cast<std::ptrdiff_t>(i);
            if (!last) break;
        }
        if (found < 0) {
            missing = name;
            return -1;
        }
        const auto index = static_cast<std::size_t>(found);
        list.SetImage(index, MarkedImage(list.Row(index).image, marks));
    }
    return MarkedTotal(list, marks);
}

}  // namespace

std::int64_t RowMarker::MarkFiles(ListModel& list, const std::vector<std::string>& names, std::string& missing) {
    return Mark(list, kBackupTab, names, false, missing);
}

std::int64_t RowMarker::MarkEntries(ListModel& list, int tab, const std::vector<std::string>& names,
                                    std::string& missing) {
    return Mark(list, tab, names, true, missing);
}

std::int64_t RowMarker::MarkAllEntries(ListModel& list, int tab) { return ListMarker::MarkAll(list, tab); }

#include "lists/MarkedRows.h"

#include <algorithm>

#include "lists/ListModel.h"

namespace MarkedRows {

int Count(const ListModel& list, int image) {
    return static_cast<int>(std::count_if(list.Rows().begin(), list.Rows().end(),
                                          [image](const ListRow& row) { return row.image == image; }));
}

void NthName(const ListModel& list, int image, int n, std::string& name) {
    int seen = 0;
    for (const ListRow& row : list.Rows()) {
        if (row.image == image && ++seen == n) {
            name.assign(row.Text(0));
            return;
        }
    }
    name.clear();
}

int IsMarkedAt(const ListModel& list, int image, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.RowCount()) return -1;
    return list.Row(static_cast<std::size_t>(index)).image == image ? 1 : 0;
}

}  // namespace MarkedRows

#include "lists/ListModel.h"

#include <algorithm>

void ListModel::SetColumns(std::vector<ListColumn> columns) {
    columns_ = std::move(columns);
    Touch();
}

void ListModel::ClearRows() {
    rows_.clear();
    Touch();
}

std::size_t ListModel::AddRow(ListRow row) {
    rows_.push_back(std::move(row));
    Touch();
    return rows_.size() - 1;
}

void ListModel::SetImage(std::size_t index, int image) {
    if (index >= rows_.size() || rows_[index].image == image) return;
    rows_[index].image = image;
    Touch();
}

void ListModel::SortByData() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const ListRow& a, const ListRow& b) { return a.data < b.data; });
    Touch();
}

void ListModel::SetSelection(const std::vector<bool>& selected, std::ptrdiff_t focused) {
    // Selection is the user's input, not content: the view already shows it,
    // so no new revision.
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].selected = i < selected.size() && selected[i];
        rows_[i].focused = static_cast<std::ptrdiff_t>(i) == focused;
    }
}

std::ptrdiff_t ListModel::FocusedIndex() const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].focused) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

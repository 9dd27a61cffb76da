#pragma once
// What one list view shows, without a toolkit: the columns and the rows. The
// window renders it and writes the user's selection and focus back before a
// handler runs; handlers change it and the window renders it again.
// Revision counts changes, so a view can skip rendering an unchanged model.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lists/ListColumn.h"
#include "lists/ListRow.h"

class ListModel {
public:
    const std::vector<ListColumn>& Columns() const { return columns_; }
    const std::vector<ListRow>& Rows() const { return rows_; }
    std::size_t RowCount() const { return rows_.size(); }
    const ListRow& Row(std::size_t index) const { return rows_[index]; }
    std::uint64_t Revision() const { return revision_; }

    // Replaces the whole column set; rows stay.
    void SetColumns(std::vector<ListColumn> columns);
    void ClearRows();
    // Returns the new row's index.
    std::size_t AddRow(ListRow row);
    void SetImage(std::size_t index, int image);
    void SortByData();

    // Selection and focus as the user left them (written by the view).
    // Focus on a row beyond the list clears the focus.
    void SetSelection(const std::vector<bool>& selected, std::ptrdiff_t focused);
    // -1 when no row has the focus.
    std::ptrdiff_t FocusedIndex() const;

private:
    void Touch() { ++revision_; }

    std::vector<ListColumn> columns_;
    std::vector<ListRow> rows_;
    std::uint64_t revision_ = 0;
};

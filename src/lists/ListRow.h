#pragma once
// One row of a list view. The image number is the row's kind and mark; the
// selection highlight and the focus are the view's own and say nothing about
// the mark.

#include <cstdint>
#include <string>
#include <vector>

struct ListRow {
    std::vector<std::string> texts;  // column 0 first; may be shorter than the column set
    int image = 0;
    std::int64_t data = 0;
    bool selected = false;
    bool focused = false;

    // Empty for a column the row has no text for.
    const std::string& Text(std::size_t column) const;
};

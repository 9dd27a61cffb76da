#pragma once
// One column of a list view: header text, fixed width in pixels, alignment.

#include <string>

enum class ColumnAlign { Left, Right };

struct ListColumn {
    std::string title;
    int width = 0;
    ColumnAlign align = ColumnAlign::Left;
    bool operator==(const ListColumn&) const = default;
};

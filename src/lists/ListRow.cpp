#include "lists/ListRow.h"

const std::string& ListRow::Text(std::size_t column) const {
    static const std::string empty;
    return column < texts.size() ? texts[column] : empty;
}

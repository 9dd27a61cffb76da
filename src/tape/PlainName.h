#pragma once
// A name that may be appended to a folder without leaving it: not empty, not
// "." or "..", no "/". Names read from a tape or a catalog pass this before
// any path is built from them.

#include <string_view>

inline bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

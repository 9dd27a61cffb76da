#pragma once
// folder + name with exactly one "/" between them: callers may pass a folder
// with or without its trailing separator.

#include <string>
#include <string_view>

inline void JoinPath(std::string_view folder, std::string_view name, std::string& out) {
    out.assign(folder);
    if (!out.empty() && out.back() != '/') out += '/';
    out += name;
}

#include "app/MountTable.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

}  // namespace

std::string MountTable::Unescape(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string> MountTable::DiskMountPoints(const std::string& mountsFile) {
    std::vector<std::string> points;
    std::ifstream table(mountsFile);
    if (!table) return points;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string source, target;
        if (!(fields >> source >> target)) continue;
        if (source.rfind("/dev/", 0) != 0) continue;
        target = Unescape(target);
        if (target.empty() || target == "/" || target.front() != '/') continue;
        struct stat info {};
        if (stat(target.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
        if (std::find(points.begin(), points.end(), target) == points.end()) points.push_back(target);
    }
    return points;
}

#pragma once
// Reads mtdump's listing of a .tap image back into record lengths.

#include <cstddef>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// Record lengths per tape file, in tape order. Every "end of tape file" line
// starts the next tape file, so a tape that ends in a filemark ends in an
// empty one.
inline std::vector<std::vector<std::size_t>> MtDumpRecords(const std::string& output) {
    std::vector<std::vector<std::size_t>> files(1);
    std::istringstream lines(output);
    const std::regex record(R"(record \d+, length = (\d+))");
    const std::regex mark(R"(end of tape file)");
    std::string line;
    std::smatch m;
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, record))
            files.back().push_back(std::stoul(m[1]));
        else if (std::regex_search(line, mark))
            files.emplace_back();
    }
    return files;
}

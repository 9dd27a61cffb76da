#pragma once
// The fields of a file header block, decoded.

#include <cstdint>
#include <string>

struct FileHeader {
    std::string name;
    std::string modificationDate;
    std::string backupDate;
    std::int32_t size = 0;
    std::int32_t blockCount = 0;
};

#include "catalog/DirFilePath.h"

#include "catalog/DirFileFormat.h"
#include "tape/PlainName.h"
#include "tape/TapeFormat.h"

int DirFilePath(const std::string& startDirectory, const std::string& tapeName, std::string& path) {
    if (startDirectory.empty()) return -1;
    if (!IsPlainName(tapeName) || tapeName.size() > TapeFormat::kMaxTapeNameLength) return -1;
    path = startDirectory;
    // A root start directory already ends in its separator.
    if (path.back() != '/') path += '/';
    path += tapeName;
    path += DirFileFormat::kExtension;
    return 0;
}

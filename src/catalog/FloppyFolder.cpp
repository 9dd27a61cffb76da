#include "catalog/FloppyFolder.h"

#include <cstdlib>

std::string FloppyFolder(const std::string& startDirectory) {
    const char* folder = std::getenv("TAPEWREN_FLOPPY");
    if (folder == nullptr || *folder == '\0') return "/media/floppy0";
    if (*folder == '/' || startDirectory.empty()) return folder;
    return startDirectory + (startDirectory.back() == '/' ? "" : "/") + folder;
}

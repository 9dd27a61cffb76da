#include "catalog/FloppyFolder.h"

#include <cstdlib>

std::string FloppyFolder() {
    const char* folder = std::getenv("TAPEWREN_FLOPPY");
    return folder != nullptr && *folder != '\0' ? std::string(folder) : std::string("/media/floppy0");
}

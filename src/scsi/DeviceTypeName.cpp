#include "scsi/DeviceTypeName.h"

#include <array>

namespace {

std::array<std::string, 32> BuildTable() {
    std::array<std::string, 32> names;
    names[0] = "Disk";
    names[1] = "Tape";
    names[2] = "Printer";
    names[3] = "Processor";
    names[4] = "WORM";
    names[5] = "CD-ROM";
    names[6] = "Scanner";
    names[7] = "Optical Memory";
    names[8] = "Medium Changer";
    names[9] = "Communications";
    names[31] = "unknown";
    return names;
}

}  // namespace

const std::string& DeviceTypeName(int type) {
    static const std::array<std::string, 32> names = BuildTable();
    if (type < 0 || type >= static_cast<int>(names.size())) return names[31];
    return names[static_cast<std::size_t>(type)];
}

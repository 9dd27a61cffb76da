#include "aspi/sg/SgHostScan.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>
#include <tuple>

#include "aspi/sg/LinuxSgTransport.h"
#include "aspi/sg/SgHostAdapter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTapeType = 1;

struct Lun {
    SgDevice device;
    std::string vendor, model, serial, tapeNode;
};

using Nexus = std::tuple<int, int, int>;  // host, channel, target

std::string Trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\0'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && blank(text[start])) ++start;
    return text.substr(start);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "12" -> 12; -1 for anything but decimal digits.
int Number(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(text);
}

// "nst3" with prefix "nst" -> 3; -1 for anything else.
int Number(const std::string& text, const std::string& prefix) {
    if (text.compare(0, prefix.size(), prefix) != 0) return -1;
    return Number(text.substr(prefix.size()));
}

// "2:0:10:1" -> its four numbers.
bool ParseAddress(const std::string& name, std::array<int, 4>& parts) {
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? name.find(':', at) : name.size();
        if (end == std::string::npos || end == at) return false;
        const int value = Number(name.substr(at, end - at));
        if (value < 0) return false;
        parts[static_cast<std::size_t>(i)] = value;
        at = end + 1;
    }
    return true;
}

int ReadType(const fs::path& path) {
    const std::string text = Trimmed(ReadFile(path));
    const int value = Number(text);
    return value >= 0 && value <= 31 ? value : -1;
}

// The first entry named prefix + number in folder, or in the older layout
// an entry "<link>:" + that name in the device folder itself.
std::string NodeName(const fs::path& device, const std::string& folder, const std::string& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(device / folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (Number(name, prefix) >= 0) return name;
    }
    ec.clear();
    const std::string link = folder + ":";
    for (fs::directory_iterator it(device, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, link.size(), link) == 0 && Number(name.substr(link.size()), prefix) >= 0)
            return name.substr(link.size());
    }
    return {};
}

// Unit serial number VPD page (80h) as the kernel keeps it: 4-byte header,
// then the serial number, often padded with blanks.
std::string Serial(const fs::path& device) {
    const std::string page = ReadFile(device / "vpd_pg80");
    if (page.size() < 4 || static_cast<unsigned char>(page[1]) != 0x80) return {};
    const std::size_t length = (static_cast<unsigned char>(page[2]) << 8) | static_cast<unsigned char>(page[3]);
    std::string serial = Trimmed(page.substr(4, length));
    for (char c : serial)
        if (c < 0x20 || c > 0x7e) return {};
    return serial;
}

Lun ReadLun(const fs::path& device, const std::string& address, int type) {
    Lun lun;
    const std::string generic = NodeName(device, "scsi_generic", "sg");
    lun.device = SgDevice{type, generic.empty() ? std::string() : "/dev/" + generic, device.string(), address};
    lun.vendor = Trimmed(ReadFile(device / "vendor"));
    lun.model = Trimmed(ReadFile(device / "model"));
    lun.serial = Serial(device);
    const std::string tape = NodeName(device, "scsi_tape", "nst");
    if (!tape.empty()) lun.tapeNode = "/dev/" + tape;
    return lun;
}

// "IET VIRTUAL-TAPE serial beaf11 /dev/nst0"
std::string DriveText(const Lun& lun) {
    std::string text = lun.vendor;
    if (!lun.model.empty()) text += (text.empty() ? "" : " ") + lun.model;
    if (text.empty()) text = "tape drive";
    if (!lun.serial.empty()) text += " serial " + lun.serial;
    if (!lun.tapeNode.empty()) text += " " + lun.tapeNode;
    if (lun.device.node.empty()) text += " (no /dev/sg node: load the sg driver)";
    return text;
}

std::string HostName(const fs::path& root, int host) {
    std::string name = Trimmed(ReadFile(root / "class" / "scsi_host" / ("host" + std::to_string(host)) / "proc_name"));
    return name.empty() || name == "(null)" ? std::string() : " (" + name + ")";
}

std::string NexusText(const Nexus& nexus) {
    return std::to_string(std::get<0>(nexus)) + ":" + std::to_string(std::get<1>(nexus)) + ":" +
           std::to_string(std::get<2>(nexus));
}

}  // namespace

std::vector<std::unique_ptr<HostAdapter>> CreateSgHostAdapters(const std::string& sysfsRoot,
                                                               std::shared_ptr<SgTransport> transport) {
    if (!transport) transport = std::make_shared<LinuxSgTransport>();
    const fs::path root(sysfsRoot);
    const fs::path devices = root / "bus" / "scsi" / "devices";

    // Devices the tape class names count as tape drives whatever their type file says.
    std::set<std::string> tapeClass;
    std::error_code ec;
    for (fs::directory_iterator it(root / "class" / "scsi_tape", ec), end; !ec && it != end; it.increment(ec)) {
        if (Number(it->path().filename().string(), "nst") < 0) continue;
        std::error_code linkError;
        const fs::path device = fs::canonical(it->path() / "device", linkError);
        if (!linkError) tapeClass.insert(device.filename().string());
    }

    std::map<Nexus, std::map<int, Lun>> nexuses;
    ec.clear();
    for (fs::directory_iterator it(devices, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::array<int, 4> a{};
        if (!ParseAddress(name, a)) continue;
        int type = ReadType(it->path() / "type");
        if (tapeClass.count(name)) type = kTapeType;
        if (type < 0) continue;
        nexuses[{a[0], a[1], a[2]}][a[3]] = ReadLun(it->path(), name, type);
    }

    std::vector<std::unique_ptr<HostAdapter>> adapters;
    for (const auto& [nexus, luns] : nexuses) {
        std::array<SgDevice, SgHostAdapter::kTargets> targets{};
        std::string drives;
        std::vector<const Lun*> beyond;
        for (const auto& [number, lun] : luns) {
            if (number >= SgHostAdapter::kTargets) {
                if (lun.device.type == kTapeType) beyond.push_back(&lun);
                continue;
            }
            targets[static_cast<std::size_t>(number)] = lun.device;
            if (lun.device.type == kTapeType)
                drives += (drives.empty() ? "" : "; ") + DriveText(lun) + " at target " + std::to_string(number);
        }
        const std::string where = "SCSI " + NexusText(nexus);
        const std::string host = HostName(root, std::get<0>(nexus));
        if (!drives.empty())
            adapters.push_back(
                std::make_unique<SgHostAdapter>(where, where + host + ": " + drives, targets, transport));
        for (const Lun* lun : beyond) {
            // Targets stop at 7: a drive further up is this adapter's target 0.
            std::array<SgDevice, SgHostAdapter::kTargets> one{};
            one[0] = lun->device;
            const std::string number = lun->device.address.substr(lun->device.address.rfind(':') + 1);
            const std::string address = where + ":" + number;
            adapters.push_back(std::make_unique<SgHostAdapter>(
                address, address + host + ": " + DriveText(*lun) + " at target 0 (its LUN " + number + " is above 7)",
                one, transport));
        }
    }
    return adapters;
}

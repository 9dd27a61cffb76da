#include "aspi/sg/SgHostScan.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "aspi/sg/LinuxSgTransport.h"
#include "aspi/sg/SgHostAdapter.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTapeType = 1;

std::string ReadLine(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.pop_back();
    return line;
}

// "hostN" -> N, or -1.
int Number(const std::string& text, const std::string& prefix) {
    if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0) return -1;
    int value = 0;
    for (std::size_t i = prefix.size(); i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9' || value > 100000000) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int ReadType(const fs::path& path) {
    const std::string text = ReadLine(path);
    if (text.empty() || text.size() > 3) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 31 ? value : -1;
}

// The device's generic node: scsi_generic/sgM, or the older scsi_generic:sgM link.
std::string GenericNode(const fs::path& device) {
    std::error_code ec;
    for (fs::directory_iterator it(device / "scsi_generic", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (Number(name, "sg") >= 0) return "/dev/" + name;
    }
    ec.clear();
    for (fs::directory_iterator it(device, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const std::string prefix = "scsi_generic:";
        if (name.compare(0, prefix.size(), prefix) == 0 && Number(name.substr(prefix.size()), "sg") >= 0)
            return "/dev/" + name.substr(prefix.size());
    }
    return {};
}

std::string HostIdentifier(const fs::path& host, int number) {
    std::string name = ReadLine(host / "proc_name");
    if (name.empty() || name == "(null)") name = "scsi" + std::to_string(number);
    const std::string unique = ReadLine(host / "unique_id");
    if (!unique.empty() && unique != "0") name += " " + unique;
    return name.substr(0, 16);
}

}  // namespace

std::vector<std::unique_ptr<HostAdapter>> CreateSgHostAdapters(const std::string& sysfsRoot, SgHostFilter filter,
                                                               std::shared_ptr<SgTransport> transport) {
    if (!transport) transport = std::make_shared<LinuxSgTransport>();
    const fs::path root(sysfsRoot);
    std::vector<int> hosts;
    std::error_code ec;
    for (fs::directory_iterator it(root / "class" / "scsi_host", ec), end; !ec && it != end; it.increment(ec)) {
        const int number = Number(it->path().filename().string(), "host");
        if (number >= 0) hosts.push_back(number);
    }
    std::sort(hosts.begin(), hosts.end());

    std::vector<std::unique_ptr<HostAdapter>> adapters;
    for (int host : hosts) {
        std::array<SgDevice, SgHostAdapter::kTargets> devices{};
        bool any = false;
        for (int target = 0; target < SgHostAdapter::kTargets; ++target) {
            const fs::path device = root / "bus" / "scsi" / "devices" /
                                    (std::to_string(host) + ":0:" + std::to_string(target) + ":0");
            if (!fs::exists(device, ec)) continue;
            const int type = ReadType(device / "type");
            const std::string node = GenericNode(device);
            // Without a generic node the device cannot be reached.
            if (type < 0 || node.empty()) continue;
            devices[static_cast<std::size_t>(target)] = SgDevice{type, node};
            any = true;
        }
        if (!any) continue;
        auto adapter = std::make_unique<SgHostAdapter>(HostIdentifier(root / "class" / "scsi_host" /
                                                                           ("host" + std::to_string(host)), host),
                                                       std::move(devices), transport);
        if (filter == SgHostFilter::TapeDrive && !adapter->HasType(kTapeType)) continue;
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

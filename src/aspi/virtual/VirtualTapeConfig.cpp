#include "aspi/virtual/VirtualTapeConfig.h"

#include <cstdlib>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string DefaultFolder() {
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty() || data[0] != '/') {
        const std::string home = Environment("HOME");
        if (home.empty()) return std::string();
        data = home + "/.local/share";
    }
    return data + "/tapewren/tapes";
}

}  // namespace

bool VirtualTapeConfig::IsImageName(const std::string& path) {
    auto endsWith = [&](const char* suffix) {
        const std::string tail(suffix);
        return path.size() > tail.size() && path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
    };
    return endsWith(".tap") || endsWith(".aws");
}

void VirtualTapeConfig::SetCapacity(std::uint64_t bytes) {
    capacity = bytes;
    earlyWarning = bytes / 32;
}

VirtualTapeConfig VirtualTapeConfig::FromEnvironment() {
    VirtualTapeConfig config;
    config.source = Environment("TAPEWREN_VTAPE");
    if (config.source.empty()) {
        config.source = DefaultFolder();
        config.createFolder = true;
    }
    config.sourceIsFolder = !IsImageName(config.source);
    const std::string megabytes = Environment("TAPEWREN_VTAPE_CAPACITY_MB");
    if (!megabytes.empty()) {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(megabytes.c_str(), &end, 10);
        // Nonsense keeps the default rather than making a zero-sized tape.
        if (end != nullptr && *end == '\0' && value > 0 && value < (1ULL << 40)) config.SetCapacity(value << 20);
    }
    return config;
}

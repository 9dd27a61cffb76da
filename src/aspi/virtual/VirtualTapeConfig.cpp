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

// A whole decimal number up to limit, nothing else.
bool WholeNumber(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty() || text.size() > 15 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return value <= limit;
}

// Reads the settings beyond the cartridges' place and size; false with
// problem set at the first that cannot be used.
bool ReadBehaviour(VirtualTapeConfig& config, std::string& problem) {
    const std::string drive = Environment("TAPEWREN_VTAPE_DRIVE");
    if (drive == "lto") {
        config.personality = DrivePersonality::Lto;
    } else if (!drive.empty() && drive != "plain") {
        problem = "TAPEWREN_VTAPE_DRIVE is \"" + drive + "\"; it takes plain or lto";
        return false;
    }
    const bool lto = config.personality == DrivePersonality::Lto;
    const std::string kilobytes = Environment("TAPEWREN_VTAPE_EARLY_WARNING_KB");
    std::uint64_t value = 0;
    if (!kilobytes.empty()) {
        if (!WholeNumber(kilobytes, (config.capacity >> 10) - 1, value)) {
            problem = "TAPEWREN_VTAPE_EARLY_WARNING_KB is \"" + kilobytes +
                      "\"; it takes a whole number of KiB smaller than the capacity";
            return false;
        }
        config.earlyWarning = value << 10;
    }
    const std::string seconds = Environment("TAPEWREN_VTAPE_READY_SECONDS");
    if (!seconds.empty()) {
        if (!lto || !WholeNumber(seconds, 86400, value)) {
            problem = "TAPEWREN_VTAPE_READY_SECONDS is \"" + seconds +
                      "\"; it takes a whole number of seconds up to 86400, with TAPEWREN_VTAPE_DRIVE=lto";
            return false;
        }
        config.readyMs = value * 1000;
    }
    const std::string load = Environment("TAPEWREN_VTAPE_LOAD");
    if (!load.empty()) {
        if (!lto || (load != "auto" && load != "command")) {
            problem = "TAPEWREN_VTAPE_LOAD is \"" + load + "\"; it takes auto or command, with TAPEWREN_VTAPE_DRIVE=lto";
            return false;
        }
        config.loadCommandNeeded = load == "command";
    }
    const std::string backHitch = Environment("TAPEWREN_VTAPE_BACKHITCH_MS");
    if (!backHitch.empty()) {
        if (!WholeNumber(backHitch, 60000, value)) {
            problem = "TAPEWREN_VTAPE_BACKHITCH_MS is \"" + backHitch +
                      "\"; it takes a whole number of milliseconds up to 60000";
            return false;
        }
        config.backHitchMs = value;
    }
    const std::string cartridge = Environment("TAPEWREN_VTAPE_CARTRIDGE");
    if (cartridge == "worm") config.cartridgeKind = CartridgeKind::Worm;
    else if (cartridge == "encrypted") config.cartridgeKind = CartridgeKind::Encrypted;
    else if (cartridge == "unsupported") config.cartridgeKind = CartridgeKind::Unsupported;
    else if (!cartridge.empty() && cartridge != "data") {
        problem = "TAPEWREN_VTAPE_CARTRIDGE is \"" + cartridge + "\"; it takes data, worm, encrypted or unsupported";
        return false;
    }
    const std::string faults = Environment("TAPEWREN_VTAPE_FAULTS");
    std::string faultProblem;
    if (!FaultPlan::Parse(faults, config.faults, faultProblem)) {
        problem = "TAPEWREN_VTAPE_FAULTS is \"" + faults + "\": " + faultProblem;
        return false;
    }
    config.statisticsFile = Environment("TAPEWREN_VTAPE_STATS");
    return true;
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
    ReadBehaviour(config, config.problem);
    return config;
}

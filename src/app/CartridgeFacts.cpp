#include "app/CartridgeFacts.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>

#include "aspi/HostAdapterList.h"
#include "aspi/sg/SgHostAdapter.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "aspi/virtual/VirtualTapeConfig.h"

std::vector<std::string> ProcessesHolding(const std::string& path) {
    std::vector<std::string> holders;
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr) return holders;
    const std::string self = std::to_string(::getpid());
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
        const std::string fds = "/proc/" + pid + "/fd";
        DIR* list = ::opendir(fds.c_str());
        if (list == nullptr) continue;
        bool holds = false;
        while (const dirent* fd = ::readdir(list)) {
            char target[PATH_MAX];
            const std::string link = fds + "/" + fd->d_name;
            const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
            if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path) holds = true;
        }
        ::closedir(list);
        if (!holds) continue;
        std::string name;
        std::getline(std::ifstream("/proc/" + pid + "/comm"), name);
        holders.push_back(pid + (name.empty() ? "" : " (" + name + ")"));
    }
    ::closedir(proc);
    return holders;
}

namespace {

CartridgeFacts SgFacts(const SgHostAdapter& adapter, int target) {
    const SgProblem problem = adapter.Problem(target);
    CartridgeFacts facts;
    facts.node = problem.node;
    facts.address = problem.address;
    facts.error = problem.error;
    if (!problem.sysfs.empty()) std::getline(std::ifstream(problem.sysfs + "/state"), facts.state);
    if (facts.error == EBUSY) facts.holders = ProcessesHolding(facts.node);
    return facts;
}

}  // namespace

std::string VirtualImage(int adapter) {
    auto* virtualAdapter = dynamic_cast<VirtualHostAdapter*>(HostAdapterList::At(adapter));
    if (virtualAdapter == nullptr) return {};
    const std::string image = virtualAdapter->Drive().CurrentPath();
    return image.empty() ? VirtualTapeConfig::FromEnvironment().source : image;
}

bool VirtualAutoloader(int adapter) {
    return dynamic_cast<VirtualHostAdapter*>(HostAdapterList::At(adapter)) != nullptr &&
           VirtualTapeConfig::FromEnvironment().sourceIsFolder;
}

CartridgeFacts FactsFor(int adapter, int target) {
    CartridgeFacts facts;
    if (const auto* sg = dynamic_cast<const SgHostAdapter*>(HostAdapterList::At(adapter))) return SgFacts(*sg, target);
    auto* virtualAdapter = dynamic_cast<VirtualHostAdapter*>(HostAdapterList::At(adapter));
    if (virtualAdapter == nullptr) return facts;
    facts.virtualDrive = true;
    const VirtualTapeDrive& drive = virtualAdapter->Drive();
    facts.image = VirtualImage(adapter);
    struct stat status {};
    facts.exists = ::stat(facts.image.c_str(), &status) == 0;
    facts.readOnly = drive.Loaded() != nullptr && drive.Loaded()->ReadOnly();
    if (drive.Loaded() != nullptr && facts.exists) {
        facts.capacity = static_cast<long long>(drive.Loaded()->Capacity());
        facts.used = static_cast<long long>(status.st_size);
    }
    char resolved[PATH_MAX];
    if (facts.exists && ::realpath(facts.image.c_str(), resolved) != nullptr) facts.holders = ProcessesHolding(resolved);
    return facts;
}

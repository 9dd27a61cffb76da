#include "app/DefaultAdapters.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/iscsi/IscsiHostAdapters.h"
#include "aspi/sg/SgHostScan.h"
#include "aspi/virtual/VirtualHostAdapter.h"

std::string SysfsRoot() {
    const char* root = std::getenv("TAPEWREN_SYSFS");
    return root != nullptr && *root != '\0' ? root : "/sys";
}

void InstallDefaultAdapters() {
    std::vector<std::unique_ptr<HostAdapter>> adapters = CreateSgHostAdapters(SysfsRoot());
    for (auto& adapter : CreateIscsiHostAdapters()) adapters.push_back(std::move(adapter));
    // The virtual drive comes last so that a real drive, when there is one,
    // is the adapter the program picks first.
    adapters.push_back(CreateVirtualHostAdapter());
    HostAdapterList::Install(std::move(adapters));
}

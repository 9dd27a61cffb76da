#include <memory>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"

namespace HostAdapterList {

void InstallDefault() {
    std::vector<std::unique_ptr<HostAdapter>> adapters;
    // The virtual drive comes last so that a real drive, when there is one,
    // is the adapter the program picks first.
    adapters.push_back(CreateVirtualHostAdapter());
    Install(std::move(adapters));
}

}  // namespace HostAdapterList

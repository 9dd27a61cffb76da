#include "aspi/HostAdapterList.h"

namespace {
std::vector<std::unique_ptr<HostAdapter>>& Adapters() {
    static std::vector<std::unique_ptr<HostAdapter>> adapters;
    return adapters;
}
}  // namespace

namespace HostAdapterList {

void Install(std::vector<std::unique_ptr<HostAdapter>> adapters) { Adapters() = std::move(adapters); }

int Count() { return static_cast<int>(Adapters().size()); }

HostAdapter* At(int number) {
    auto& adapters = Adapters();
    if (number < 0 || number >= static_cast<int>(adapters.size())) return nullptr;
    return adapters[static_cast<std::size_t>(number)].get();
}

std::string Name(int number) {
    HostAdapter* adapter = At(number);
    return adapter ? adapter->Name() : std::string();
}

}  // namespace HostAdapterList

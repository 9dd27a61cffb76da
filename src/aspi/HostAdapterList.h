#pragma once
// The stand-in's configuration: the host adapters in the order ASPI numbers
// them. Installed once at program start (or by a test) before the first
// request; SendASPI32Command reads it.

#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapter.h"

namespace HostAdapterList {

// Replaces the current list. Not to be called while a command is in flight.
// The program's own list is assembled above the device layer, where the
// adapter backends are known.
void Install(std::vector<std::unique_ptr<HostAdapter>> adapters);
int Count();
// nullptr for a number beyond the list.
HostAdapter* At(int number);
// The adapter's Name(); empty for a number beyond the list.
std::string Name(int number);

}  // namespace HostAdapterList

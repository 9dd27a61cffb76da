#include "aspi/virtual/DriveClock.h"

#include <atomic>
#include <chrono>

namespace {

std::uint64_t SteadyMs() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

std::atomic<DriveClockFunction>& Current() {
    static std::atomic<DriveClockFunction> current{&SteadyMs};
    return current;
}

}  // namespace

std::uint64_t DriveClockMs() { return Current().load(std::memory_order_acquire)(); }

DriveClockFunction SetDriveClock(DriveClockFunction f) {
    DriveClockFunction previous = Current().exchange(f != nullptr ? f : &SteadyMs, std::memory_order_acq_rel);
    return previous == &SteadyMs ? nullptr : previous;
}

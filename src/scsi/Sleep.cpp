#include "scsi/Sleep.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

void RealSleep(unsigned milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

std::atomic<SleepFunction>& Current() {
    static std::atomic<SleepFunction> current{&RealSleep};
    return current;
}

}  // namespace

void SleepMs(unsigned milliseconds) { Current().load(std::memory_order_acquire)(milliseconds); }

SleepFunction SetSleepFunction(SleepFunction f) {
    SleepFunction previous = Current().exchange(f != nullptr ? f : &RealSleep, std::memory_order_acq_rel);
    return previous == &RealSleep ? nullptr : previous;
}

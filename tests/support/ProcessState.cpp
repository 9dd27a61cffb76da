// Linked into every test program: the program's process-wide state goes
// back to how a fresh process finds it after every test, whatever the test
// installed. This is the one place that resets it:
// - the host adapter list behind SendASPI32Command (aspi/HostAdapterList),
// - the device layer's sleep (scsi/Sleep),
// - the virtual drive's clock (aspi/virtual/DriveClock).

#include <gtest/gtest.h>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/DriveClock.h"
#include "scsi/Sleep.h"

namespace {

class ResetAfterEachTest : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        HostAdapterList::Install({});
        SetSleepFunction(nullptr);
        SetDriveClock(nullptr);
    }
};

struct Registration {
    Registration() { testing::UnitTest::GetInstance()->listeners().Append(new ResetAfterEachTest); }
} registration;

}  // namespace

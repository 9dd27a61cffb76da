// Stops the private tgtd after the last test, whatever their outcome.

#include <gtest/gtest.h>

#include "support/TgtDaemon.h"

namespace {

class TgtEnvironment : public ::testing::Environment {
public:
    void TearDown() override { TgtDaemon::Instance().Stop(); }
};

[[maybe_unused]] ::testing::Environment* const kTgtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TgtEnvironment);

}  // namespace

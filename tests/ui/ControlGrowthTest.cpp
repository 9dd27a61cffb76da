#include "ui/ControlGrowth.h"

#include <gtest/gtest.h>

using S = ControlGrowth::Share;

struct GrowthCase {
    ControlGrowth growth;
    int addedWidth;
    int addedHeight;
    ControlRect expected;
};

class ControlGrowthTest : public testing::TestWithParam<GrowthCase> {};

TEST_P(ControlGrowthTest, EdgesMoveByTheirShareOfTheAddedSize) {
    const GrowthCase& c = GetParam();
    EXPECT_EQ(c.growth.Apply({10, 20, 100, 50}, c.addedWidth, c.addedHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Shares, ControlGrowthTest,
    testing::Values(
        // The default size moves nothing, whatever the shares.
        GrowthCase{{S::All, S::All, S::All, S::All}, 0, 0, {10, 20, 100, 50}},
        GrowthCase{ControlGrowth::Fixed(), 300, 200, {10, 20, 100, 50}},
        // A list of the left column: right edge by half, bottom by all;
        // half of an odd width is rounded down.
        GrowthCase{{S::None, S::Half, S::None, S::All}, 301, 200, {10, 20, 250, 250}},
        // Its neighbour on the right: left edge by the same half.
        GrowthCase{{S::Half, S::All, S::None, S::All}, 301, 200, {160, 20, 251, 250}},
        // A button in the bottom-right corner keeps its size.
        GrowthCase{ControlGrowth::Move(S::All, S::All), 300, 200, {310, 220, 100, 50}},
        // Smaller than the default counts as the default.
        GrowthCase{{S::All, S::All, S::All, S::All}, -40, -10, {10, 20, 100, 50}}));

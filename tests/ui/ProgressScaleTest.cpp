#include "ui/ProgressScale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

struct ScaleCase {
    std::int64_t done;
    std::int64_t total;
    int maximum;
    int position;
    const char* label;
};

class ProgressScaleTest : public testing::TestWithParam<ScaleCase> {};

TEST_P(ProgressScaleTest, RangePositionAndLabel) {
    const ScaleCase& c = GetParam();
    const ProgressScale scale = ProgressScale::For(c.done, c.total);
    EXPECT_EQ(scale.Maximum(), c.maximum);
    EXPECT_EQ(scale.Position(), c.position);
    EXPECT_EQ(scale.Label(), c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Scales, ProgressScaleTest,
    testing::Values(
        // 100/7 rounds down in single precision: the bar ends at 99 and is full.
        ScaleCase{7, 7, 99, 99, "7 / 7 Bytes"},
        ScaleCase{512, 1024, 100, 50, "512 / 1024 Bytes"},
        // 100/1000 rounds up in single precision: the bar ends at 100.
        ScaleCase{1000, 1000, 100, 100, "1000 / 1000 Bytes"},
        ScaleCase{0, 1000, 100, 0, "0 / 1000 Bytes"},
        ScaleCase{0, 0, 0, 0, "0 / 0 Bytes"},
        ScaleCase{1024, 8192, 100, 12, "1024 / 8192 Bytes"},
        ScaleCase{-5, 10, 100, -50, "-5 / 10 Bytes"},
        // Beyond 32 bits the counters stay true.
        ScaleCase{3000000000LL, 6000000000LL, 99, 49, "3000000000 / 6000000000 Bytes"}));

TEST(ProgressScaleEdge, DoneAtTotalFillsTheBarForEveryTotalUpTo5000) {
    for (std::int64_t total = 1; total <= 5000; ++total) {
        const ProgressScale scale = ProgressScale::For(total, total);
        ASSERT_EQ(scale.Position(), scale.Maximum()) << total;
        ASSERT_TRUE(scale.Maximum() == 99 || scale.Maximum() == 100) << total;
    }
}

TEST(ProgressScaleEdge, DoneFarBeyondTotalDoesNotOverflowThePosition) {
    const ProgressScale scale = ProgressScale::For(std::numeric_limits<std::int64_t>::max(), 1);
    EXPECT_EQ(scale.Position(), std::numeric_limits<int>::max());
}

// The progress part of the terminal's status line.
#include <gtest/gtest.h>

#include <string>

#include "cli/ProgressText.h"

namespace {

std::string Text(std::int64_t done, std::int64_t total, double rate, int bar = 10) {
    char out[256];
    const std::size_t n = ProgressText::Format(out, sizeof out, done, total, rate, bar);
    EXPECT_EQ(n, std::string(out).size());
    return out;
}

TEST(ProgressTextTest, HalfWayWithAKnownRate) {
    EXPECT_EQ(Text(512 << 20, 1024 << 20, 2e6), "[#####-----]  50%  512.0 MiB/1.0 GiB  2.0 MB/s  4:28 left");
}

TEST(ProgressTextTest, UnknownRateHasNoTimeLeft) {
    EXPECT_EQ(Text(0, 1000, 0.0, 4), "[----]   0%  0 B/1000 B  -- MB/s  --:-- left");
}

TEST(ProgressTextTest, DoneBeyondTotalIsShownAsFull) {
    EXPECT_EQ(Text(3000, 2048, 1e6, 4), "[####] 100%  2.0 KiB/2.0 KiB  1.0 MB/s  0:00 left");
}

TEST(ProgressTextTest, NoTotalNoProgress) { EXPECT_EQ(Text(5, 0, 1.0), ""); }

TEST(ProgressTextTest, ASmallBufferIsCutNotOverrun) {
    char out[8];
    EXPECT_EQ(ProgressText::Format(out, sizeof out, 1, 2, 1.0, 10), 7u);
    EXPECT_EQ(std::string(out), "[#####-");
}

TEST(ProgressTextTest, DurationsGrowAnHourField) {
    char out[32];
    ProgressText::Duration(out, sizeof out, 3725);
    EXPECT_EQ(std::string(out), "1:02:05");
    ProgressText::Duration(out, sizeof out, 59);
    EXPECT_EQ(std::string(out), "0:59");
}

}  // namespace

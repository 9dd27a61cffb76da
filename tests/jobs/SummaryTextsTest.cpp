#include <gtest/gtest.h>

#include "jobs/SummaryTexts.h"

namespace {

TEST(DurationText, SplitsIntoDaysHoursMinutesSecondsWithLeadingZeros) {
    EXPECT_EQ(DurationText(3725), "0 days, 01 h, 02 min, 05 sec");
    EXPECT_EQ(DurationText(0), "0 days, 00 h, 00 min, 00 sec");
    EXPECT_EQ(DurationText(86399), "0 days, 23 h, 59 min, 59 sec");
    EXPECT_EQ(DurationText(86400 * 12 + 3600 * 5 + 61), "12 days, 05 h, 01 min, 01 sec");
}

// Bytes per minute that give exactly the wanted KByte/min rate over 60 s.
std::int64_t BytesForRate(double kbPerMinute) { return static_cast<std::int64_t>(kbPerMinute * 1024.0); }

TEST(RateText, WholeRateKeepsItsDecimalPoint) { EXPECT_EQ(RateText(BytesForRate(4096), 60), "4096."); }

TEST(RateText, RoundsToSevenSignificantDigits) {
    // 1234.56789 KByte/min over 60 s.
    EXPECT_EQ(RateText(1264197, 60), "1234.567");  // 1264197/1024 = 1234.567382...
    EXPECT_EQ(RateText(1264198, 60), "1234.568");  // 1234.568359...
}

TEST(RateText, FromOneMillionUpToTenMillionHasSevenDigitsAndNoPoint) {
    EXPECT_EQ(RateText(BytesForRate(1234567.4), 60), "1234567");
    EXPECT_EQ(RateText(BytesForRate(9999999.0), 60), "9999999");
}

TEST(RateText, SmallRatesDownToOneTenthAreFixedPoint) {
    EXPECT_EQ(RateText(256, 60), "0.25");
    EXPECT_EQ(RateText(1024, 600), "0.1");
}

TEST(RateText, OtherRatesAreExponentialWithThreeExponentDigits) {
    // 0.05 KByte/min: 51.2 bytes per minute, 512 bytes in 10 minutes.
    EXPECT_EQ(RateText(512, 600), "5.e-002");
    EXPECT_EQ(RateText(BytesForRate(15000000.0), 60), "1.5e+007");
}

TEST(RateText, RoundingUpAcrossAPowerOfTenSwitchesForm) {
    // 9999999.6 rounds to 1.000000e+007 at 7 digits: exponential, not an
    // eight-digit fixed number.
    EXPECT_EQ(RateText(BytesForRate(9999999.6), 60), "1.e+007");
}

TEST(RateText, ZeroSecondsGivesAReadableText) {
    EXPECT_EQ(RateText(123456, 0), "n.a.");
}

TEST(RateText, NoBytesIsZero) { EXPECT_EQ(RateText(0, 60), "0."); }

}  // namespace

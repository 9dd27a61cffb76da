#include <gtest/gtest.h>

#include "jobs/RestoreOutcome.h"
#include "jobs/SummaryTexts.h"
#include "report/MessageKind.h"

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

// Only a restore that restored all it was asked for says "successfully".
struct OutcomeCase {
    RestoreOutcome outcome;
    const char* firstLine;
    int kind;
    JobResult result;
};

class RestoreOutcomeTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(RestoreOutcomeTest, FirstLineKindAndResultSayWhatHappened) {
    const OutcomeCase& c = GetParam();
    EXPECT_EQ(c.outcome.FirstLine(), c.firstLine);
    EXPECT_EQ(c.outcome.Kind(), c.kind);
    EXPECT_EQ(c.outcome.Result(), c.result);
}

RestoreOutcome With(void (*set)(RestoreOutcome&)) {
    RestoreOutcome o;
    o.restored = 3;
    set(o);
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoreOutcomeTest,
    ::testing::Values(
        OutcomeCase{With([](RestoreOutcome&) {}), "Restore ended successfully!", Success, JobResult::Done},
        OutcomeCase{With([](RestoreOutcome& o) { o.damaged = 2; }), "Restore ended with 2 file records skipped!",
                    Attention, JobResult::Failed},
        // Nothing skipped, but the tape could not be read to its end.
        OutcomeCase{With([](RestoreOutcome& o) { o.stuckAt = 4; }), "Restore ended before the end of the tape!",
                    Attention, JobResult::Failed},
        OutcomeCase{With([](RestoreOutcome& o) { o.unfinished = true; }),
                    "Restore ended with 1 file record not restored!", Attention, JobResult::Failed},
        OutcomeCase{With([](RestoreOutcome& o) { o.declinedPath = "/d/a.txt"; }),
                    "Restore stopped: '/d/a.txt' exists and was not overwritten!", Attention, JobResult::Declined},
        OutcomeCase{With([](RestoreOutcome& o) { o.leftExisting = 1; }),
                    "Restore ended: 1 file that exists was left as it was!", Success, JobResult::Done}));

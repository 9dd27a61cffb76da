// The small pieces the tape format rests on: the transfer plan, date texts,
// fixed fields, name and path rules.

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/EnvironmentGuard.h"
#include "tape/DateText.h"
#include "tape/Field.h"
#include "tape/JoinPath.h"
#include "tape/PlainName.h"
#include "tape/TransferPlan.h"

namespace {

struct PlanCase {
    std::int64_t size;
    std::int64_t blockLength;
    TransferPlan plan;
    std::int32_t blocks;
};

class TransferPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(TransferPlanTest, MatchesWorkedExample) {
    const auto c = GetParam();
    const TransferPlan plan = TransferPlan::For(c.size, c.blockLength);
    EXPECT_EQ(plan.count64, c.plan.count64);
    EXPECT_EQ(plan.count10, c.plan.count10);
    EXPECT_EQ(plan.count1, c.plan.count1);
    EXPECT_EQ(TransferPlan::BlockCount(c.size, c.blockLength), c.blocks);
}

INSTANTIATE_TEST_SUITE_P(Examples, TransferPlanTest,
                         ::testing::Values(PlanCase{100000, 512, {3, 0, 4}, 196}, PlanCase{10240, 1024, {0, 1, 1}, 11},
                                           PlanCase{0, 512, {0, 0, 1}, 1}, PlanCase{65536, 1024, {1, 0, 1}, 65},
                                           PlanCase{512, 512, {0, 0, 2}, 2}, PlanCase{1023, 512, {0, 0, 2}, 2},
                                           PlanCase{0x7fffffff, 2048, {16383, 6, 4}, 1048576}));

// Every size: the transfers carry exactly the record's data blocks, within
// the bounds the buffer and the plan promise.
TEST(TransferPlanSweep, TransfersCoverExactlyTheBlockCount) {
    for (std::int64_t b : {1, 287, 512, 1000, 2048})
        for (std::int64_t size = 0; size < 70 * b + 5; size += (size < 3 * b ? 1 : 7)) {
            const TransferPlan p = TransferPlan::For(size, b);
            ASSERT_EQ(64 * p.count64 + 10 * p.count10 + p.count1, TransferPlan::BlockCount(size, b)) << size;
            ASSERT_LE(p.count10, 6);
            ASSERT_GE(p.count1, 1);
            ASSERT_LE(p.count1, 10);
        }
}

class DateTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.Set("TZ", "Europe/Berlin");
        tzset();
    }
    void TearDown() override {
        env_.Restore();
        tzset();
    }
    EnvironmentGuard env_;
};

TEST_F(DateTextTest, TwoDigitDayAndMonthFourDigitYear) {
    EXPECT_EQ(DateText(1796515200), "06.12.2026");  // 2026-12-06 00:00 UTC
}

TEST_F(DateTextTest, LocalTimeDecidesTheDay) {
    // 2026-12-05 23:30 UTC is already the 6th in Berlin.
    EXPECT_EQ(DateText(1796513400), "06.12.2026");
}

TEST_F(DateTextTest, YearThatDoesNotFitIsEmpty) {
    EXPECT_EQ(DateText(static_cast<std::time_t>(253402300800LL)), "");  // 10000-01-01
}

TEST(FieldTest, TextWithoutNulStopsAtFieldEnd) {
    std::uint8_t record[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    std::string out;
    Field::GetText(record, 2, 3, out);
    EXPECT_EQ(out, "cde");
}

TEST(FieldTest, PutTextTouchesOnlyTextAndNul) {
    std::uint8_t record[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    Field::PutText(record, 1, "ab");
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 8), (std::vector<std::uint8_t>{9, 'a', 'b', 0, 9, 9, 9, 9}));
}

TEST(FieldTest, PaddedTextZerosTheRestOfTheField) {
    std::uint8_t record[6] = {9, 9, 9, 9, 9, 9};
    Field::PutTextPadded(record, 0, 5, "ab");
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 6), (std::vector<std::uint8_t>{'a', 'b', 0, 0, 0, 9}));
}

TEST(FieldTest, Int32IsLittleEndianAndSigned) {
    std::uint8_t record[6] = {};
    Field::PutInt32(record, 1, 0x12345678);
    EXPECT_EQ(std::vector<std::uint8_t>(record, record + 6), (std::vector<std::uint8_t>{0, 0x78, 0x56, 0x34, 0x12, 0}));
    Field::PutInt32(record, 0, -2);
    EXPECT_EQ(record[0], 0xFE);
    EXPECT_EQ(record[3], 0xFF);
    EXPECT_EQ(Field::GetInt32(record, 0), -2);
}

TEST(NameRules, PlainNames) {
    EXPECT_TRUE(IsPlainName("a"));
    EXPECT_TRUE(IsPlainName("..."));
    EXPECT_TRUE(IsPlainName(".hidden"));
    EXPECT_FALSE(IsPlainName(""));
    EXPECT_FALSE(IsPlainName("."));
    EXPECT_FALSE(IsPlainName(".."));
    EXPECT_FALSE(IsPlainName("a/b"));
}

TEST(NameRules, JoinPathPutsOneSeparator) {
    std::string path;
    JoinPath("/a/", "f", path);
    EXPECT_EQ(path, "/a/f");
    JoinPath("/a", "f", path);
    EXPECT_EQ(path, "/a/f");
    JoinPath("/", "f", path);
    EXPECT_EQ(path, "/f");
}

}  // namespace

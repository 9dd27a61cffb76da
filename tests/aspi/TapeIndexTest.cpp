// The run index on its own: merging, cutting inside a run, the AWS prev_len
// it derives for the header written at a position, and the damage a write
// there would reach.

#include <gtest/gtest.h>

#include "aspi/virtual/TapeIndex.h"

namespace {

class TapeIndexTest : public ::testing::Test {
protected:
    // Records of 100000 bytes (two AWS segments), a filemark, small records.
    void SetUp() override {
        index.Append(RunKind::Data, 0, 100000, 65535, 100012, 3);
        index.Append(RunKind::Filemark, 300036, 0, 0, 6);
        index.Append(RunKind::Data, 300042, 10, 10, 16);
        index.Append(RunKind::Data, 300058, 10, 10, 16);
    }
    TapeIndex index;
};

TEST_F(TapeIndexTest, ContiguousEqualRecordsMergeIntoOneRun) {
    ASSERT_EQ(index.RunCount(), 3u);
    EXPECT_EQ(index.Run(2).count, 2u);
    EXPECT_EQ(index.EndOffset(), 300074u);
    // A gap in the file (a skipped object) starts a new run.
    index.Append(RunKind::Data, 300080, 10, 10, 16);
    EXPECT_EQ(index.RunCount(), 4u);
}

TEST_F(TapeIndexTest, OffsetsAreArithmeticWithinARun) {
    EXPECT_EQ(index.OffsetOf({0, 2}), 200024u);
    EXPECT_EQ(index.OffsetOf({2, 1}), 300058u);
    EXPECT_EQ(index.OffsetOf(index.End()), 300074u);
}

TEST_F(TapeIndexTest, CuttingInsideARunKeepsWhatLiesBefore) {
    index.TruncateAt({0, 1});
    ASSERT_EQ(index.RunCount(), 1u);
    EXPECT_EQ(index.Run(0).count, 1u);
    EXPECT_EQ(index.EndOffset(), 100012u);
    index.TruncateAt({0, 0});
    EXPECT_EQ(index.RunCount(), 0u);
    EXPECT_EQ(index.EndOffset(), 0u);
}

TEST_F(TapeIndexTest, PreviousSegmentFollowsTheObjectBefore) {
    EXPECT_EQ(index.PreviousSegment({0, 0}), 0u) << "load point";
    EXPECT_EQ(index.PreviousSegment({0, 1}), 100000u - 65535u) << "last segment of a split block";
    EXPECT_EQ(index.PreviousSegment({1, 0}), 100000u - 65535u);
    EXPECT_EQ(index.PreviousSegment({2, 0}), 0u) << "after a filemark";
    EXPECT_EQ(index.PreviousSegment(index.End()), 10u);
}

TEST_F(TapeIndexTest, LastSegmentOfExactMultipleIsAFullSegment) {
    TapeRun run;
    run.length = 2 * 65535;
    run.segment = 65535;
    EXPECT_EQ(TapeIndex::LastSegment(run), 65535u);
}

TEST_F(TapeIndexTest, HoldsAtMostItsLimitAndForgetsTheOldestRuns) {
    TapeIndex small(TapeIndex::kMinRuns);
    for (std::uint64_t i = 0; i < 20; ++i) small.Append(i % 2 ? RunKind::Filemark : RunKind::Data, i * 10, 1, 1, 10);
    EXPECT_EQ(small.RunCount(), 20u);
    EXPECT_LE(small.HeldRuns(), TapeIndex::kMinRuns);
    EXPECT_FALSE(small.Holds(0));
    ASSERT_TRUE(small.Holds(19));
    EXPECT_EQ(small.Run(19).offset, 190u);
    EXPECT_EQ(small.Run(small.First()).offset, small.First() * 10);
    small.Restart();
    EXPECT_EQ(small.RunCount(), 0u);
    EXPECT_FALSE(small.Complete());
}

// How far framing at damage looked outlives the damage's run: a write
// that far on is refused whether the run is held or forgotten.
TEST_F(TapeIndexTest, DamageReachOutlivesItsForgottenRun) {
    TapeIndex small(TapeIndex::kMinRuns);
    small.Append(RunKind::Data, 0, 1, 1, 10);
    small.AppendDamage(10, 20, 0, 145);
    EXPECT_TRUE(small.WriteReachesDamage(small.End()));
    for (std::uint64_t i = 2; i < 20; ++i) small.Append(i % 2 ? RunKind::Filemark : RunKind::Data, i * 10, 1, 1, 10);
    ASSERT_FALSE(small.Holds(1));
    ASSERT_TRUE(small.Holds(13));
    EXPECT_TRUE(small.WriteReachesDamage({14, 0}));  // at 140
    EXPECT_FALSE(small.WriteReachesDamage({14, 1}));  // at 150
    EXPECT_FALSE(small.WriteReachesDamage(small.End()));
}

TEST_F(TapeIndexTest, WallEndsTheIndex) {
    index.AppendWall(300074);
    EXPECT_TRUE(index.EndsInWall());
    EXPECT_EQ(index.EndOffset(), 300074u);
}

}  // namespace

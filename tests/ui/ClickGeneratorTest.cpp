#include <gtest/gtest.h>

#include <array>

#include "ui/ClickGenerator.h"

TEST(ClickGenerator, IndexNeverExceeds51AndIs51OnlyFrom32456) {
    for (int r = 0; r <= 32767; ++r) {
        const int index = ClickGenerator::IndexFor(r);
        ASSERT_GE(index, 0) << r;
        ASSERT_LE(index, 51) << r;
        ASSERT_EQ(index == 51, r >= 32456) << r;
    }
}

TEST(ClickGenerator, LastIndexComesAboutHalfAsOftenAsTheOthers) {
    std::array<int, 52> hits{};
    for (int r = 0; r <= 32767; ++r) ++hits[ClickGenerator::IndexFor(r)];
    EXPECT_EQ(hits[51], 32767 - 32456 + 1);
    for (int i = 0; i < 51; ++i) {
        EXPECT_GE(hits[i], 630) << i;
        EXPECT_LE(hits[i], 650) << i;
    }
}

TEST(ClickGenerator, FirstNumbersFollowTheLinearCongruentialSequence) {
    // state 1 -> 1 * 214013 + 2531011 = 2745024; bits 16..30 give 41.
    ClickGenerator one(1);
    EXPECT_EQ(one.NextRandom(), 41);
    // 2745024 * 214013 + 2531011 mod 2^32 = 3357800067: bit 31 is set and
    // dropped, bits 16..30 give 18467.
    EXPECT_EQ(one.NextRandom(), 18467);
    ClickGenerator zero(0);
    EXPECT_EQ(zero.NextRandom(), 38);
}

TEST(ClickGenerator, StateWrapsModulo2To32AndBit31IsDropped) {
    // 0xFFFFFFFF * 214013 + 2531011 = 2316998 mod 2^32 -> 35.
    ClickGenerator wrap(0xFFFFFFFFu);
    EXPECT_EQ(wrap.NextRandom(), 35);
    for (int i = 0; i < 100000; ++i) {
        const int r = wrap.NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST(ClickGenerator, SameSeedGivesSameIndices) {
    ClickGenerator a(1234567);
    ClickGenerator b(0);
    b.Seed(1234567);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(a.NextIndex(), b.NextIndex());
}

#include <gtest/gtest.h>

#include <string>

#include "ui/Descramble.h"
#include "ui/StoredTexts.h"

TEST(Descramble, EmptyTextStaysEmpty) {
    EXPECT_EQ(Descramble(""), "");
    EXPECT_EQ(Scramble(""), "");
}

TEST(Descramble, OneCharacterOnlySubtracts22) {
    EXPECT_EQ(Descramble(std::string(1, static_cast<char>('A' + 22))), "A");
    // Low 8 bits: 10 - 22 wraps to 244.
    EXPECT_EQ(Descramble(std::string(1, '\x0a')), std::string(1, static_cast<char>(244)));
}

TEST(Descramble, SubtractsPositionThenReverses) {
    // Byte i loses 22 + i before the text is turned around.
    const std::string stored = {static_cast<char>('c' + 22), static_cast<char>('b' + 23),
                                static_cast<char>('a' + 24)};
    EXPECT_EQ(Descramble(stored), "abc");
}

TEST(Descramble, PositionOffsetWrapsEvery105Bytes) {
    // Bytes 0 and 105 lose the same 22; byte 104 loses 22 + 104.
    std::string stored(106, static_cast<char>(22 + 'x'));
    stored[104] = static_cast<char>(22 + 104 + 'y');
    stored[105] = static_cast<char>(22 + 'z');
    const std::string text = Descramble(stored);
    ASSERT_EQ(text.size(), 106u);
    EXPECT_EQ(text[0], 'z');   // stored byte 105, reversed to the front
    EXPECT_EQ(text[1], 'y');   // stored byte 104
    EXPECT_EQ(text[105], 'x');  // stored byte 0
}

TEST(Descramble, LeavesItsArgumentUnchanged) {
    const std::string stored = Scramble("tape");
    const std::string copy = stored;
    Descramble(stored);
    EXPECT_EQ(stored, copy);
}

TEST(Descramble, ScrambleIsItsInverseForEveryByteValueAndLength) {
    std::string text;
    for (int i = 0; i < 600; ++i) text.push_back(static_cast<char>(i * 7 % 256));
    for (std::size_t length : {1u, 2u, 104u, 105u, 106u, 211u, 600u}) {
        const std::string part = text.substr(0, length);
        EXPECT_EQ(Descramble(Scramble(part)), part) << "length " << length;
    }
}

TEST(Descramble, EveryStoredTextRoundTrips) {
    const int counts[] = {StoredTexts::kHeadingCount, StoredTexts::kAboutLineCount, StoredTexts::kRandomCount};
    for (int group = 0; group < 3; ++group) {
        for (int i = 0; i < counts[group]; ++i) {
            const std::string_view stored = StoredTexts::Scrambled(group, i);
            const std::string text = Descramble(stored);
            EXPECT_EQ(Scramble(text), stored) << "group " << group << " text " << i;
        }
    }
}

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ui/StoredTexts.h"

namespace {
bool Printable(const std::string& text) {
    for (unsigned char c : text) {
        if (c < 0x20 || c > 0x7e) return false;
    }
    return true;
}
}  // namespace

TEST(StoredTexts, GroupsHoldTwoHeadingsFourLinesAnd52RandomTexts) {
    EXPECT_EQ(StoredTexts::kHeadingCount, 2);
    EXPECT_EQ(StoredTexts::kAboutLineCount, 4);
    EXPECT_EQ(StoredTexts::kRandomCount, 52);
    // The last index of each group exists, the next one does not.
    EXPECT_FALSE(StoredTexts::Scrambled(StoredTexts::kHeadings, 1).empty());
    EXPECT_TRUE(StoredTexts::Scrambled(StoredTexts::kHeadings, 2).empty());
    EXPECT_FALSE(StoredTexts::Scrambled(StoredTexts::kAboutLines, 3).empty());
    EXPECT_TRUE(StoredTexts::Scrambled(StoredTexts::kAboutLines, 4).empty());
    EXPECT_FALSE(StoredTexts::Scrambled(StoredTexts::kRandomTexts, 51).empty());
    EXPECT_TRUE(StoredTexts::Scrambled(StoredTexts::kRandomTexts, 52).empty());
}

TEST(StoredTexts, EveryTextIsNonEmptyPrintableAndDistinct) {
    std::set<std::string> seen;
    for (int i = 0; i < StoredTexts::kRandomCount; ++i) {
        const std::string text = StoredTexts::RandomText(i);
        EXPECT_FALSE(text.empty()) << i;
        EXPECT_TRUE(Printable(text)) << i << ": " << text;
        EXPECT_TRUE(seen.insert(text).second) << "repeated: " << text;
    }
    for (int i = 0; i < StoredTexts::kAboutLineCount; ++i) {
        EXPECT_FALSE(StoredTexts::AboutLine(i).empty()) << i;
        EXPECT_TRUE(Printable(StoredTexts::AboutLine(i))) << i;
    }
    for (int i = 0; i < StoredTexts::kHeadingCount; ++i) {
        EXPECT_FALSE(StoredTexts::Heading(i).empty()) << i;
    }
}

TEST(StoredTexts, TextsAreNotStoredInPlain) {
    for (int i = 0; i < StoredTexts::kRandomCount; ++i) {
        const std::string text = StoredTexts::RandomText(i);
        EXPECT_EQ(StoredTexts::Scrambled(StoredTexts::kRandomTexts, i).find(text.substr(0, 4)),
                  std::string_view::npos) << text;
    }
}

TEST(StoredTexts, HeadingLineIsSecondHeadingFourSpacesFirstHeading) {
    EXPECT_EQ(StoredTexts::HeadingLine(), StoredTexts::Heading(1) + "    " + StoredTexts::Heading(0));
    EXPECT_NE(StoredTexts::Heading(0), StoredTexts::Heading(1));
}

TEST(StoredTexts, IndexOutOfRangeGivesEmptyText) {
    EXPECT_EQ(StoredTexts::RandomText(-1), "");
    EXPECT_EQ(StoredTexts::RandomText(52), "");
    EXPECT_EQ(StoredTexts::AboutLine(4), "");
    EXPECT_EQ(StoredTexts::Heading(2), "");
    EXPECT_TRUE(StoredTexts::Scrambled(7, 0).empty());
}

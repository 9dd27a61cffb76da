#include "ui/LabelText.h"

#include <gtest/gtest.h>

#include <string>

TEST(TapeLabel, ShortNameIsShownWhole) {
    EXPECT_EQ(LabelText::TapeLabel("Archive2000", 35), "Tape: 'Archive2000'");
    EXPECT_EQ(LabelText::TapeLabel("Archive2000", 25), "Tape: 'Archive2000'");
}

TEST(TapeLabel, FortyCharacterNameOnBackupKeeps27NameCharacters) {
    const std::string name(40, 'n');
    EXPECT_EQ(LabelText::TapeLabel(name, 35), "Tape: '" + std::string(27, 'n') + "...'");
}

TEST(TapeLabel, TwentyCharacterNameIsCutOnTheLeftOnly) {
    const std::string name = "ABCDEFGHIJKLMNOPQRST";
    EXPECT_EQ(LabelText::TapeLabel(name, 35), "Tape: 'ABCDEFGHIJKLMNOPQRST'");
    EXPECT_EQ(LabelText::TapeLabel(name, 25), "Tape: 'ABCDEFGHIJKLMNOPQ...'");
}

TEST(TapeLabel, LabelOfExactlyTheLimitIsShownWhole) {
    // "Tape: '" + 27 + "'" = 35
    const std::string name(27, 'x');
    EXPECT_EQ(LabelText::TapeLabel(name, 35).size(), 35u);
    EXPECT_EQ(LabelText::TapeLabel(name + "x", 35), "Tape: '" + name + "...'");
}

TEST(TapeLabel, CutNeverSplitsAMultiByteCharacter) {
    // "Tape: '" is 7 bytes; 8 two-byte letters put a character across byte 24.
    std::string name;
    for (int i = 0; i < 12; ++i) name += "\xc3\xa9";  // é
    const std::string label = LabelText::TapeLabel(name, 25);
    EXPECT_EQ(label, "Tape: '" + name.substr(0, 16) + "...'");
}

TEST(BrowsePath, FortyFiveCharactersAreShownWhole) {
    const std::string path = "/" + std::string(43, 'a') + "/";
    ASSERT_EQ(path.size(), 45u);
    EXPECT_EQ(LabelText::BrowsePath(path), path);
}

TEST(BrowsePath, FortySixCharactersAreCutInTheMiddle) {
    const std::string path = "/ab" + std::string(2, 'x') + std::string(40, 'z') + "/";
    ASSERT_EQ(path.size(), 46u);
    const std::string shown = LabelText::BrowsePath(path);
    EXPECT_EQ(shown, "/ab..." + path.substr(6));
    EXPECT_EQ(shown.size(), 46u);
}

TEST(BrowsePath, RootIsShownAsIs) { EXPECT_EQ(LabelText::BrowsePath("/"), "/"); }

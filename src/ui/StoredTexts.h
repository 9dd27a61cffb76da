#pragma once
// The About box's texts and the "Click!" texts, stored scrambled and
// descrambled on each call.

#include <cstddef>
#include <string>
#include <string_view>

class StoredTexts {
public:
    static constexpr int kHeadingCount = 2;
    static constexpr int kAboutLineCount = 4;
    static constexpr int kRandomCount = 52;

    // 0 <= index < kHeadingCount, and so on; an index out of range gives "".
    static std::string Heading(int index);
    // Lines for labels 1074, 1075, 1076 and 1077, in that order.
    static std::string AboutLine(int index);
    static std::string RandomText(int index);
    // Label 1072: second heading, four spaces, first heading.
    static std::string HeadingLine();

    // The stored bytes as they are, scrambled (for tests).
    static std::string_view Scrambled(int group, int index);
    enum Group { kHeadings = 0, kAboutLines = 1, kRandomTexts = 2 };
};

#pragma once
// The list labels: a tape label "Tape: 'name'" cut to fit its side, and a
// browse path cut in the middle. Lengths count bytes; a cut never splits a
// UTF-8 character, so it may keep a few bytes less.

#include <cstddef>
#include <string>

class LabelText {
public:
    // "Tape: '" + name + "'"; longer than limit: its first limit - 1 bytes
    // and "...'".
    static std::string TapeLabel(const std::string& tapeName, std::size_t limit);
    // Longer than 45: the first 3 bytes, "..." and the last 40.
    static std::string BrowsePath(const std::string& path);

    static constexpr std::size_t kRightTapeLabelLimit = 35;
    static constexpr std::size_t kLeftTapeLabelLimit = 25;
    static constexpr std::size_t kBrowsePathLimit = 45;
};

#include "ui/Descramble.h"

#include <algorithm>

namespace {
unsigned char Offset(std::size_t i) { return static_cast<unsigned char>(22 + i % 105); }
}  // namespace

std::string Descramble(std::string_view text) {
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char>(static_cast<unsigned char>(result[i]) - Offset(i));
    }
    std::reverse(result.begin(), result.end());
    return result;
}

std::string Scramble(std::string_view text) {
    std::string result(text.rbegin(), text.rend());
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<char>(static_cast<unsigned char>(result[i]) + Offset(i));
    }
    return result;
}

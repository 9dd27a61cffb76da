#pragma once
// The About and "Click!" texts are kept scrambled in the program so they do
// not show up as plain strings in the binary. Descrambling subtracts 22 and
// (i mod 105) from byte i, keeping the low 8 bits, then reverses the text.

#include <string>
#include <string_view>

std::string Descramble(std::string_view text);
// The inverse: Descramble(Scramble(t)) == t. For making stored texts.
std::string Scramble(std::string_view text);

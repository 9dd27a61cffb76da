#include "ui/ClickGenerator.h"

int ClickGenerator::NextRandom() {
    state_ = state_ * 214013u + 2531011u;  // wraps modulo 2^32
    return static_cast<int>((state_ >> 16) & 0x7FFF);
}

int ClickGenerator::IndexFor(int r) {
    return static_cast<int>(r / 32767.0 * 51.49);
}

#include "ui/ProgressScale.h"

#include <cmath>
#include <limits>

namespace {

// Truncates toward zero; a done count far beyond its total must not overflow
// the bar's int range.
int TruncatedPercent(std::int64_t value, float scale) {
    const double product = std::trunc(static_cast<double>(value) * static_cast<double>(scale));
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (product < lo) return std::numeric_limits<int>::min();
    if (product > hi) return std::numeric_limits<int>::max();
    return static_cast<int>(product);
}

}  // namespace

ProgressScale ProgressScale::For(std::int64_t done, std::int64_t total) {
    ProgressScale result;
    result.label_ = std::to_string(done) + " / " + std::to_string(total) + " Bytes";
    if (total == 0) return result;
    const float scale = static_cast<float>(100.0 / static_cast<double>(total));
    result.maximum_ = TruncatedPercent(total, scale);
    result.position_ = TruncatedPercent(done, scale);
    return result;
}

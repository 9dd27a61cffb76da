#include "jobs/SummaryTexts.h"

#include <cstdio>
#include <cstdlib>

std::string DurationText(std::int64_t seconds) {
    const std::int64_t days = seconds / 86400;
    const std::int64_t hours = seconds / 3600 - 24 * days;
    const std::int64_t minutes = seconds / 60 - 60 * (seconds / 3600);
    char text[96];
    std::snprintf(text, sizeof text, "%lld days, %02lld h, %02lld min, %02lld sec", static_cast<long long>(days),
                  static_cast<long long>(hours), static_cast<long long>(minutes),
                  static_cast<long long>(seconds % 60));
    return text;
}

namespace {

// Drops the zeros between the last significant digit and the exponent (or
// the end), keeping the decimal point.
std::string TrimFractionZeros(const std::string& number) {
    const auto point = number.find('.');
    if (point == std::string::npos) return number;
    const auto exponent = number.find('e');
    const std::string mantissa = number.substr(0, exponent);
    const std::string tail = exponent == std::string::npos ? std::string() : number.substr(exponent);
    const auto last = mantissa.find_last_not_of('0');
    return mantissa.substr(0, last + 1) + tail;
}

}  // namespace

std::string RateText(std::int64_t bytes, std::int64_t seconds) {
    if (seconds <= 0) return "n.a.";
    const double rate = static_cast<double>(bytes) / (static_cast<double>(seconds) / 60.0) / 1024.0;

    // The exponent after rounding to 7 significant digits decides the form.
    char text[64];
    std::snprintf(text, sizeof text, "%.6e", rate);
    const int e = std::atoi(std::string(text).substr(std::string(text).find('e') + 1).c_str());
    if (e >= -1 && e <= 6) {
        std::snprintf(text, sizeof text, "%.*f", 6 - e, rate);
        return TrimFractionZeros(text);
    }
    const std::string mantissa = std::string(text).substr(0, std::string(text).find('e'));
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%03d", e < 0 ? '-' : '+', std::abs(e));
    return TrimFractionZeros(mantissa + exponent);
}

#include "tape/DateText.h"

std::string DateText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[11];
    if (std::strftime(text, sizeof text, "%d.%m.%Y", &local) == 0) return {};
    return text;
}

std::string TodayText() { return DateText(std::time(nullptr)); }

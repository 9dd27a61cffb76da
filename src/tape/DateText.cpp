#include "tape/DateText.h"

std::string DateText(std::time_t when) {
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr) return {};
    char text[11];
    if (std::strftime(text, sizeof text, "%d.%m.%Y", &local) == 0) return {};
    return text;
}

std::string TodayText() { return DateText(std::time(nullptr)); }

bool NoonOfDateText(const std::string& text, std::time_t& when) {
    if (text.size() != 10 || text[2] != '.' || text[5] != '.') return false;
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9') return false;
    const int day = std::stoi(text.substr(0, 2)), month = std::stoi(text.substr(3, 2));
    const int year = std::stoi(text.substr(6, 4));
    std::tm local{};
    local.tm_mday = day;
    local.tm_mon = month - 1;
    local.tm_year = year - 1900;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    when = std::mktime(&local);
    // mktime moves an impossible day (31.02.) into the next month.
    return when != static_cast<std::time_t>(-1) && local.tm_mday == day && local.tm_mon == month - 1;
}

#pragma once
// Dates a test file the way a user's file would be dated on a given day.

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <string>

// Last write (and access) time: noon local time of the given day, clear of
// any daylight saving change at midnight.
inline bool SetNoonDate(const std::string& path, int day, int month, int year) {
    std::tm local{};
    local.tm_mday = day;
    local.tm_mon = month - 1;
    local.tm_year = year - 1900;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    timespec times[2] = {{when, 0}, {when, 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

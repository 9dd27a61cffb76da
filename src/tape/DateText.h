#pragma once
// Dates as the tape and the catalog store them: "%d.%m.%Y" in local time
// (06.12.2026). Ten characters, so they fit an 11-byte field; a date that
// would not fit (year beyond 9999) comes back empty.

#include <ctime>
#include <string>

std::string DateText(std::time_t when);
std::string TodayText();

// Noon local time of the day a date text names; false for a text that is
// not a valid "%d.%m.%Y" date.
bool NoonOfDateText(const std::string& text, std::time_t& when);

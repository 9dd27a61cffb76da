#include "jobs/JobContext.h"

#include <ctime>

std::int64_t CalendarSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

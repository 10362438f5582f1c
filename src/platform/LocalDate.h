#pragma once
// Dates as the user reads them: the time zone and the date format of the user's locale
// (LC_ALL, LC_TIME or LANG, and TZ), taken from the environment on each call and never
// made the process's global locale.
#include <cstdint>
#include <string>

namespace tp {

// The calendar date of a moment (seconds since the epoch) in the local time zone, written
// the locale's way (strftime's %x); "" when the moment has no calendar date here.
std::string LocalDateText(int64_t secondsSinceEpoch);

}  // namespace tp

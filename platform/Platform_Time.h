#pragma once
// Local calendar time and the user's date and time formats.

#include <cstdint>
#include <string>

namespace vl {

// A moment on the local wall clock.
struct RLocalTime {
  int32_t lt_year = 1970, lt_month = 1, lt_day = 1;
  int32_t lt_hour = 0, lt_minute = 0, lt_second = 0, lt_millisecond = 0;
};

// Now, in the local time zone (the TZ environment variable when set).
RLocalTime LocalTimeNow();
// A date in the short date format and a time in the long time format of the user's locale (from
// LC_ALL, LC_TIME or LANG; the C locale when none is set or the named one is not installed).
std::string LocalShortDate(int32_t year, int32_t month, int32_t day);
std::string LocalLongTime(int32_t hour, int32_t minute, int32_t second);

} // namespace vl

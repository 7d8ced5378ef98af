#include "platform/Platform_Time.h"

#include <chrono>
#include <ctime>
#include <locale.h>

namespace vl {

RLocalTime LocalTimeNow() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  tzset(); // the zone may have changed since the last call
  std::tm tm{};
  localtime_r(&seconds, &tm);
  RLocalTime t;
  t.lt_year = tm.tm_year + 1900;
  t.lt_month = tm.tm_mon + 1;
  t.lt_day = tm.tm_mday;
  t.lt_hour = tm.tm_hour;
  t.lt_minute = tm.tm_min;
  t.lt_second = tm.tm_sec;
  t.lt_millisecond = static_cast<int32_t>(ms % 1000);
  return t;
}

namespace {

// strftime under the user's time locale, without changing the process-wide locale.
std::string Format(const char* format, const std::tm& tm) {
  locale_t user = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (!user) user = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  char buffer[128];
  const size_t n = user ? strftime_l(buffer, sizeof buffer, format, &tm, user) : 0;
  if (user) freelocale(user);
  return std::string(buffer, n);
}

} // namespace

std::string LocalShortDate(int32_t year, int32_t month, int32_t day) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  // Some locales name the weekday in their short date; timegm works it out.
  std::tm copy = tm;
  timegm(&copy);
  tm.tm_wday = copy.tm_wday;
  tm.tm_yday = copy.tm_yday;
  return Format("%x", tm);
}

std::string LocalLongTime(int32_t hour, int32_t minute, int32_t second) {
  std::tm tm{};
  tm.tm_year = 100;
  tm.tm_mday = 1;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  return Format("%X", tm);
}

} // namespace vl

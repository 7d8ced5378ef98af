#include "library/Function_Date.h"

#include "platform/Platform_Time.h"
#include "script/Code_Function.h"
#include "script/Code_Operator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vl {

namespace {

#define VL_DATE_ARGS CInstance *, CInstance *, int32_t, RValue &r, const RValue *a

constexpr int64_t kMsPerDay = 86400000;
constexpr double kOneMs = 1.0 / kMsPerDay;
// Day 0 of the date-time reals, counted from 1970-01-01.
constexpr int64_t kEpochFrom1970 = -25569;

// A date-time split into calendar and clock parts.
struct RDateParts {
  int64_t dp_day = 0; // whole days since 1899-12-30
  int64_t dp_year = 1899;
  int32_t dp_month = 12, dp_day_of_month = 30;
  int32_t dp_hour = 0, dp_minute = 0, dp_second = 0, dp_millisecond = 0;
};

bool IsLeapYear(int64_t y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int32_t DaysInMonth(int64_t y, int32_t m) {
  static const int32_t days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : days[m - 1];
}

// Proleptic Gregorian calendar, valid for any year.
int64_t DayOfDate(int64_t y, int64_t m, int64_t d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 - kEpochFrom1970;
}

void DateOfDay(int64_t day, RDateParts& p) {
  const int64_t z = day + kEpochFrom1970 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  p.dp_day = day;
  p.dp_day_of_month = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
  p.dp_month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
  p.dp_year = yoe + era * 400 + (p.dp_month <= 2);
}

// Values that are no date at all (NaN, infinities, beyond any calendar) stand for day 0.
double Sane(double v) {
  return std::isfinite(v) && std::fabs(v) < 1e12 ? v : 0.0;
}

// The fraction that is the time of day, counted forwards from midnight on either side of day 0.
double TimeFraction(double v) {
  return std::fabs(v - std::trunc(v));
}

RDateParts Decode(double value) {
  const double v = Sane(value);
  auto day = static_cast<int64_t>(std::trunc(v));
  auto ms = static_cast<int64_t>(std::llround(TimeFraction(v) * kMsPerDay));
  if (ms >= kMsPerDay) { // rounds up to the next midnight
    ms -= kMsPerDay;
    ++day;
  }
  RDateParts p;
  DateOfDay(day, p);
  p.dp_hour = static_cast<int32_t>(ms / 3600000);
  p.dp_minute = static_cast<int32_t>(ms / 60000 % 60);
  p.dp_second = static_cast<int32_t>(ms / 1000 % 60);
  p.dp_millisecond = static_cast<int32_t>(ms % 1000);
  return p;
}

// A day and a time of day (0 to 1, 1 being the next midnight) as one date-time.
double Compose(int64_t day, double time) {
  if (time >= 1) {
    ++day;
    time = 0;
  }
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

double Now() {
  const RLocalTime t = LocalTimeNow();
  const int64_t ms = ((t.lt_hour * 60 + t.lt_minute) * 60 + t.lt_second) * int64_t(1000) + t.lt_millisecond;
  return Compose(DayOfDate(t.lt_year, t.lt_month, t.lt_day), static_cast<double>(ms) / kMsPerDay);
}

int64_t Int(const RValue& v) {
  return RoundToInt64(v.IsReal() ? v.Real() : 0.0);
}

double Real(const RValue& v) {
  return v.IsReal() ? v.Real() : 0.0;
}

// A count of years or months, held to where the calendar arithmetic cannot overflow.
int64_t Count(const RValue& v) {
  constexpr int64_t kLimit = 12'000'000'000;
  return std::clamp(Int(v), -kLimit, kLimit);
}

bool ValidDate(int64_t y, int64_t m, int64_t d) {
  return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, static_cast<int32_t>(m));
}

bool ValidTime(int64_t h, int64_t mi, int64_t s) {
  if (h == 24) return mi == 0 && s == 0;
  return h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 && s <= 59;
}

double TimeOf(int64_t h, int64_t mi, int64_t s) {
  return static_cast<double>(h * 3600 + mi * 60 + s) / 86400.0;
}

// n months after the date, the day cut to the end of a shorter month, the time of day kept.
double AddMonths(double value, int64_t n) {
  const double v = Sane(value);
  RDateParts p;
  DateOfDay(static_cast<int64_t>(std::trunc(v)), p);
  const int64_t months = p.dp_year * 12 + (p.dp_month - 1) + n;
  const int64_t year = (months >= 0 ? months : months - 11) / 12;
  const auto month = static_cast<int32_t>(months - year * 12 + 1);
  const int64_t day = DayOfDate(year, month, std::min(p.dp_day_of_month, DaysInMonth(year, month)));
  return Compose(day, TimeFraction(v));
}

int32_t DayOfYear(const RDateParts& p) {
  return static_cast<int32_t>(p.dp_day - DayOfDate(p.dp_year, 1, 1) + 1);
}

// 0 for Sunday to 6 for Saturday; 1899-12-30 was a Saturday.
int32_t WeekdayIndex(int64_t day) {
  return static_cast<int32_t>(((day + 6) % 7 + 7) % 7);
}

int32_t IsoWeeksInYear(int64_t y) {
  const int32_t jan1 = WeekdayIndex(DayOfDate(y, 1, 1));
  return jan1 == 4 || (jan1 == 3 && IsLeapYear(y)) ? 53 : 52;
}

// Weeks start on Monday; week 1 is the one holding the year's first Thursday.
int32_t IsoWeek(const RDateParts& p) {
  const int32_t isoWeekday = (WeekdayIndex(p.dp_day) + 6) % 7 + 1;
  const int32_t week = (DayOfYear(p) - isoWeekday + 10) / 7;
  if (week < 1) return IsoWeeksInYear(p.dp_year - 1);
  if (week > IsoWeeksInYear(p.dp_year)) return 1;
  return week;
}

int64_t HourOfYear(const RDateParts& p) {
  return p.dp_hour + (DayOfYear(p) - 1) * int64_t(24);
}

int64_t MinuteOfYear(const RDateParts& p) {
  return p.dp_minute + HourOfYear(p) * 60;
}

double Compare(double a, double b, double tolerance) {
  if (std::fabs(a - b) < tolerance) return 0;
  return a > b ? 1 : -1;
}

double Frac(double v) {
  return v - std::trunc(v);
}

std::string DateText(const RDateParts& p) {
  return LocalShortDate(static_cast<int32_t>(p.dp_year), p.dp_month, p.dp_day_of_month);
}

std::string TimeText(const RDateParts& p) {
  return LocalLongTime(p.dp_hour, p.dp_minute, p.dp_second);
}

void RegisterGetters() {
  RegisterFunction(
      "date_get_year", [](VL_DATE_ARGS) { r = RValue(double(Decode(Real(a[0])).dp_year)); }, 1);
  RegisterFunction(
      "date_get_month", [](VL_DATE_ARGS) { r = RValue(Decode(Real(a[0])).dp_month); }, 1);
  RegisterFunction(
      "date_get_week", [](VL_DATE_ARGS) { r = RValue(IsoWeek(Decode(Real(a[0])))); }, 1);
  RegisterFunction(
      "date_get_day", [](VL_DATE_ARGS) { r = RValue(Decode(Real(a[0])).dp_day_of_month); }, 1);
  RegisterFunction(
      "date_get_hour", [](VL_DATE_ARGS) { r = RValue(Decode(Real(a[0])).dp_hour); }, 1);
  RegisterFunction(
      "date_get_minute", [](VL_DATE_ARGS) { r = RValue(Decode(Real(a[0])).dp_minute); }, 1);
  RegisterFunction(
      "date_get_second", [](VL_DATE_ARGS) { r = RValue(Decode(Real(a[0])).dp_second); }, 1);
  RegisterFunction(
      "date_get_weekday", [](VL_DATE_ARGS) { r = RValue(WeekdayIndex(Decode(Real(a[0])).dp_day) + 1); }, 1);
  RegisterFunction(
      "date_get_day_of_year", [](VL_DATE_ARGS) { r = RValue(DayOfYear(Decode(Real(a[0])))); }, 1);
  RegisterFunction(
      "date_get_hour_of_year", [](VL_DATE_ARGS) { r = RValue(double(HourOfYear(Decode(Real(a[0]))))); }, 1);
  RegisterFunction(
      "date_get_minute_of_year", [](VL_DATE_ARGS) { r = RValue(double(MinuteOfYear(Decode(Real(a[0]))))); },
      1);
  RegisterFunction(
      "date_get_second_of_year",
      [](VL_DATE_ARGS) {
        const RDateParts p = Decode(Real(a[0]));
        r = RValue(double(p.dp_second + MinuteOfYear(p) * 60));
      },
      1);
}

} // namespace

void Register_Function_Date() {
  RegisterFunction(
      "date_current_datetime", [](VL_DATE_ARGS) { r = RValue(Now()); }, 0);
  RegisterFunction(
      "date_current_date", [](VL_DATE_ARGS) { r = RValue(std::trunc(Now())); }, 0);
  RegisterFunction(
      "date_current_time", [](VL_DATE_ARGS) { r = RValue(TimeFraction(Now())); }, 0);
  RegisterFunction(
      "date_create_datetime",
      [](VL_DATE_ARGS) {
        const int64_t y = Int(a[0]), m = Int(a[1]), d = Int(a[2]), h = Int(a[3]), mi = Int(a[4]),
                      s = Int(a[5]);
        if (ValidDate(y, m, d) && ValidTime(h, mi, s))
          r = RValue(Compose(DayOfDate(y, m, d), TimeOf(h, mi, s)));
      },
      6);
  RegisterFunction(
      "date_create_date",
      [](VL_DATE_ARGS) {
        const int64_t y = Int(a[0]), m = Int(a[1]), d = Int(a[2]);
        if (ValidDate(y, m, d)) r = RValue(double(DayOfDate(y, m, d)));
      },
      3);
  RegisterFunction(
      "date_create_time",
      [](VL_DATE_ARGS) {
        const int64_t h = Int(a[0]), mi = Int(a[1]), s = Int(a[2]);
        if (ValidTime(h, mi, s)) r = RValue(TimeOf(h, mi, s));
      },
      3);
  RegisterFunction(
      "date_valid_datetime",
      [](VL_DATE_ARGS) {
        r = RValue(ValidDate(Int(a[0]), Int(a[1]), Int(a[2])) && ValidTime(Int(a[3]), Int(a[4]), Int(a[5]))
                       ? 1.0
                       : 0.0);
      },
      6);
  RegisterFunction(
      "date_valid_date",
      [](VL_DATE_ARGS) { r = RValue(ValidDate(Int(a[0]), Int(a[1]), Int(a[2])) ? 1.0 : 0.0); }, 3);
  RegisterFunction(
      "date_valid_time",
      [](VL_DATE_ARGS) { r = RValue(ValidTime(Int(a[0]), Int(a[1]), Int(a[2])) ? 1.0 : 0.0); }, 3);

  RegisterFunction(
      "date_inc_year", [](VL_DATE_ARGS) { r = RValue(AddMonths(Real(a[0]), Count(a[1]) * 12)); }, 2);
  RegisterFunction(
      "date_inc_month", [](VL_DATE_ARGS) { r = RValue(AddMonths(Real(a[0]), Count(a[1]))); }, 2);
  RegisterFunction(
      "date_inc_week", [](VL_DATE_ARGS) { r = RValue(Real(a[0]) + double(Int(a[1])) * 7); }, 2);
  RegisterFunction(
      "date_inc_day", [](VL_DATE_ARGS) { r = RValue(Real(a[0]) + double(Int(a[1]))); }, 2);
  RegisterFunction(
      "date_inc_hour", [](VL_DATE_ARGS) { r = RValue(Real(a[0]) + double(Int(a[1])) / 24); }, 2);
  RegisterFunction(
      "date_inc_minute", [](VL_DATE_ARGS) { r = RValue(Real(a[0]) + double(Int(a[1])) / 1440); }, 2);
  RegisterFunction(
      "date_inc_second", [](VL_DATE_ARGS) { r = RValue(Real(a[0]) + double(Int(a[1])) / 86400); }, 2);

  RegisterGetters();

  RegisterFunction(
      "date_year_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1])) / 365.25); }, 2);
  RegisterFunction(
      "date_month_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1])) / 30.4375); }, 2);
  RegisterFunction(
      "date_week_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1])) / 7); }, 2);
  RegisterFunction(
      "date_day_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1]))); }, 2);
  RegisterFunction(
      "date_hour_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1])) * 24); }, 2);
  RegisterFunction(
      "date_minute_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1])) * 1440); }, 2);
  RegisterFunction(
      "date_second_span", [](VL_DATE_ARGS) { r = RValue(std::fabs(Real(a[0]) - Real(a[1])) * 86400); }, 2);

  RegisterFunction(
      "date_compare_datetime", [](VL_DATE_ARGS) { r = RValue(Compare(Real(a[0]), Real(a[1]), kOneMs)); }, 2);
  RegisterFunction(
      "date_compare_date",
      [](VL_DATE_ARGS) { r = RValue(Compare(std::trunc(Real(a[0])), std::trunc(Real(a[1])), 0.5)); }, 2);
  RegisterFunction(
      "date_compare_time",
      [](VL_DATE_ARGS) { r = RValue(Compare(Frac(Real(a[0])), Frac(Real(a[1])), kOneMs)); }, 2);
  RegisterFunction(
      "date_date_of", [](VL_DATE_ARGS) { r = RValue(std::trunc(Real(a[0]))); }, 1);
  RegisterFunction(
      "date_time_of", [](VL_DATE_ARGS) { r = RValue(Frac(Real(a[0]))); }, 1);

  RegisterFunction(
      "date_datetime_string",
      [](VL_DATE_ARGS) {
        const RDateParts p = Decode(Real(a[0]));
        const bool midnight = p.dp_hour == 0 && p.dp_minute == 0 && p.dp_second == 0 && p.dp_millisecond == 0;
        r = RValue(midnight ? DateText(p) : DateText(p) + ' ' + TimeText(p));
      },
      1);
  RegisterFunction(
      "date_date_string", [](VL_DATE_ARGS) { r = RValue(DateText(Decode(Real(a[0])))); }, 1);
  RegisterFunction(
      "date_time_string", [](VL_DATE_ARGS) { r = RValue(TimeText(Decode(Real(a[0])))); }, 1);
  RegisterFunction(
      "date_days_in_month",
      [](VL_DATE_ARGS) {
        const RDateParts p = Decode(Real(a[0]));
        r = RValue(DaysInMonth(p.dp_year, p.dp_month));
      },
      1);
  RegisterFunction(
      "date_days_in_year",
      [](VL_DATE_ARGS) { r = RValue(IsLeapYear(Decode(Real(a[0])).dp_year) ? 366 : 365); }, 1);
  RegisterFunction(
      "date_leap_year", [](VL_DATE_ARGS) { r = RValue(IsLeapYear(Decode(Real(a[0])).dp_year) ? 1 : 0); }, 1);
  RegisterFunction(
      "date_is_today", [](VL_DATE_ARGS) { r = RValue(std::trunc(Real(a[0])) == std::trunc(Now()) ? 1 : 0); },
      1);
}

} // namespace vl

// The date functions through the function table, in a fixed time zone and the C locale.
#include "library/Function_Date.h"
#include "script/Code_Function.h"
#include "tests/library/Function_Test_Support.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

namespace vl {
namespace {

class DateTest : public ::testing::Test {
protected:
  void SetUp() override {
    static const bool registered = (Register_Function_Date(), true);
    (void)registered;
    setenv("TZ", "UTC", 1);
    setenv("LC_ALL", "C", 1);
  }
  static RValue Call(std::string_view name, std::initializer_list<RValue> args = {}) {
    return test::CallFunction(name, args);
  }
  static double Real(std::string_view name, std::initializer_list<RValue> args = {}) {
    return test::ExpectReal(Call(name, args), name);
  }
  static std::string Str(std::string_view name, std::initializer_list<RValue> args) {
    return test::ExpectString(Call(name, args), name);
  }
  static double Date(double y, double m, double d) { return Real("date_create_date", {y, m, d}); }
  static double DateTime(double y, double m, double d, double h, double mi, double s) {
    return Real("date_create_datetime", {y, m, d, h, mi, s});
  }
};

TEST_F(DateTest, CreateCountsDaysFromTheEpochAndGivesZeroWhenInvalid) {
  struct RCase {
    double y, m, d;
    bool valid;
    double value;
  };
  const RCase cases[] = {
      {1899, 12, 30, true, 0},      {1899, 12, 29, true, -1},
      {1900, 1, 1, true, 2},        {1970, 1, 1, true, 25569},
      {2000, 1, 1, true, 36526},    {2000, 2, 29, true, 36585},
      {1, 1, 1, true, -693593},     {9999, 12, 31, true, 2958465},
      {2023, 2, 28.5, true, 44985}, // arguments round to even
      {2023, 2, 28.6, false, 0},    {2023, 2, 29, false, 0},
      {1900, 2, 29, false, 0},      {2024, 4, 31, false, 0},
      {2024, 13, 1, false, 0},      {2024, 0, 1, false, 0},
      {0, 1, 1, false, 0},          {10000, 1, 1, false, 0},
      {2024, 1, 0, false, 0},
  };
  for (const RCase& c : cases) {
    EXPECT_EQ(Date(c.y, c.m, c.d), c.value) << c.y << '-' << c.m << '-' << c.d;
    EXPECT_EQ(Real("date_valid_date", {c.y, c.m, c.d}), c.valid ? 1 : 0) << c.y << '-' << c.m << '-' << c.d;
  }
}

TEST_F(DateTest, TimesAreValidUpToExactlyMidnightOfTheNextDay) {
  struct RCase {
    double h, mi, s;
    bool valid;
    double value;
  };
  const RCase cases[] = {
      {0, 0, 0, true, 0},
      {12, 0, 0, true, 0.5},
      {6, 0, 0, true, 0.25},
      {24, 0, 0, true, 1},
      {23, 59, 59, true, 86399.0 / 86400},
      {24, 0, 1, false, 0},
      {24, 1, 0, false, 0},
      {0, 60, 0, false, 0},
      {0, 0, 60, false, 0},
      {-1, 0, 0, false, 0},
      {25, 0, 0, false, 0},
  };
  for (const RCase& c : cases) {
    EXPECT_EQ(Real("date_valid_time", {c.h, c.mi, c.s}), c.valid ? 1 : 0) << c.h << ':' << c.mi << ':' << c.s;
    EXPECT_DOUBLE_EQ(Real("date_create_time", {c.h, c.mi, c.s}), c.value) << c.h << ':' << c.mi << ':' << c.s;
  }
  EXPECT_EQ(DateTime(1999, 12, 31, 24, 0, 0), 36526);
  EXPECT_EQ(Real("date_valid_datetime", {1999, 12, 31, 24, 0, 0}), 1);
  EXPECT_EQ(Real("date_valid_datetime", {2023, 2, 29, 12, 0, 0}), 0);
  EXPECT_EQ(Real("date_valid_datetime", {2023, 2, 28, 12, 0, 60}), 0);
  EXPECT_EQ(DateTime(2023, 2, 28, 12, 0, 60), 0);
  EXPECT_DOUBLE_EQ(DateTime(2000, 1, 1, 18, 0, 0), 36526.75);
  // Before the epoch the time of day still counts forwards from midnight.
  EXPECT_DOUBLE_EQ(DateTime(1899, 12, 29, 6, 0, 0), -1.25);
  EXPECT_EQ(DateTime(1899, 12, 28, 24, 0, 0), -1);
}

TEST_F(DateTest, PartsOfADateTime) {
  struct RCase {
    double value;
    double year, month, day, hour, minute, second, weekday, dayOfYear;
  };
  const double leapDay = DateTime(2024, 2, 29, 13, 45, 30);
  const RCase cases[] = {
      {leapDay, 2024, 2, 29, 13, 45, 30, 5, 60},
      {0, 1899, 12, 30, 0, 0, 0, 7, 364},
      {-1.25, 1899, 12, 29, 6, 0, 0, 6, 363},
      {Date(2023, 12, 31), 2023, 12, 31, 0, 0, 0, 1, 365},
      {Date(2024, 12, 31) + 0.999, 2024, 12, 31, 23, 58, 33, 3, 366},
      {36526 - 1e-10, 2000, 1, 1, 0, 0, 0, 7, 1}, // rounds to the millisecond, into the next day
  };
  for (const RCase& c : cases) {
    const RValue v(c.value);
    EXPECT_EQ(Real("date_get_year", {v}), c.year) << c.value;
    EXPECT_EQ(Real("date_get_month", {v}), c.month) << c.value;
    EXPECT_EQ(Real("date_get_day", {v}), c.day) << c.value;
    EXPECT_EQ(Real("date_get_hour", {v}), c.hour) << c.value;
    EXPECT_EQ(Real("date_get_minute", {v}), c.minute) << c.value;
    EXPECT_EQ(Real("date_get_second", {v}), c.second) << c.value;
    EXPECT_EQ(Real("date_get_weekday", {v}), c.weekday) << c.value;
    EXPECT_EQ(Real("date_get_day_of_year", {v}), c.dayOfYear) << c.value;
  }
  EXPECT_EQ(Real("date_get_hour_of_year", {leapDay}), 59 * 24 + 13);
  EXPECT_EQ(Real("date_get_minute_of_year", {leapDay}), (59 * 24 + 13) * 60 + 45);
  EXPECT_EQ(Real("date_get_second_of_year", {leapDay}), ((59 * 24 + 13) * 60 + 45) * 60 + 30);
  // A string has no number: it reads as day 0.
  EXPECT_EQ(Real("date_get_year", {RValue(std::string_view("2000"))}), 1899);
}

TEST_F(DateTest, WeeksFollowTheIsoRule) {
  struct RCase {
    double y, m, d, week;
  };
  const RCase cases[] = {
      {2021, 1, 1, 53},   {2021, 1, 4, 1},    {2020, 12, 31, 53}, {2019, 12, 30, 1}, {2024, 12, 30, 1},
      {2026, 12, 31, 53}, {2027, 1, 1, 53},   {2008, 12, 29, 1},  {2005, 1, 2, 53},  {2010, 1, 3, 53},
      {2023, 6, 15, 24},  {2015, 12, 31, 53}, {2016, 1, 3, 53},   {2016, 1, 4, 1},   {2023, 1, 1, 52},
  };
  for (const RCase& c : cases)
    EXPECT_EQ(Real("date_get_week", {Date(c.y, c.m, c.d) + 0.75}), c.week) << c.y << '-' << c.m << '-' << c.d;
}

TEST_F(DateTest, MonthAndYearIncrementsCutTheDayAndKeepTheTime) {
  struct RCase {
    const char* function;
    double from[3];
    double n;
    double to[3];
  };
  const RCase cases[] = {
      {"date_inc_month", {2024, 1, 31}, 1, {2024, 2, 29}},
      {"date_inc_month", {2023, 1, 31}, 1, {2023, 2, 28}},
      {"date_inc_month", {2024, 3, 31}, -1, {2024, 2, 29}},
      {"date_inc_month", {2024, 5, 31}, 1, {2024, 6, 30}},
      {"date_inc_month", {2024, 12, 15}, 1, {2025, 1, 15}},
      {"date_inc_month", {2024, 1, 15}, -13, {2022, 12, 15}},
      {"date_inc_month", {2024, 1, 31}, 13, {2025, 2, 28}},
      {"date_inc_month", {2024, 1, 31}, 0.5, {2024, 1, 31}},
      {"date_inc_year", {2024, 2, 29}, 1, {2025, 2, 28}},
      {"date_inc_year", {2024, 2, 29}, 4, {2028, 2, 29}},
      {"date_inc_year", {2000, 2, 29}, -100, {1900, 2, 28}},
      {"date_inc_year", {2024, 7, 4}, 1.5, {2026, 7, 4}},
  };
  for (const RCase& c : cases) {
    const double from = Date(c.from[0], c.from[1], c.from[2]);
    const double to = Date(c.to[0], c.to[1], c.to[2]);
    EXPECT_EQ(Real(c.function, {from, c.n}), to) << c.function << ' ' << c.from[0] << '-' << c.from[1];
    EXPECT_DOUBLE_EQ(Real(c.function, {from + 0.75, c.n}), to + 0.75) << c.function;
  }
  // Counts far beyond any calendar still give a number.
  for (double n : {1e300, -1e300, 9.2e18})
    EXPECT_FALSE(std::isnan(Real("date_inc_year", {0, n})) || std::isnan(Real("date_inc_month", {0, n})))
        << n;
  // Across the epoch the time of day stays forward from midnight.
  EXPECT_DOUBLE_EQ(Real("date_inc_month", {-1.25, 1}), DateTime(1900, 1, 29, 6, 0, 0));
  EXPECT_DOUBLE_EQ(Real("date_inc_month", {30.25, -1}), -1.25);
}

TEST_F(DateTest, FixedIncrementsAddWholeUnits) {
  struct RCase {
    const char* function;
    double n, result;
  };
  const RCase cases[] = {
      {"date_inc_week", 2, 15.25},
      {"date_inc_day", -3, -1.75},
      {"date_inc_day", 2.5, 3.25},
      {"date_inc_hour", 36, 2.75},
      {"date_inc_minute", 720, 1.75},
      {"date_inc_second", 43200, 1.75},
      {"date_inc_second", 1, 1.25 + 1.0 / 86400},
  };
  for (const RCase& c : cases)
    EXPECT_DOUBLE_EQ(Real(c.function, {1.25, c.n}), c.result) << c.function << ' ' << c.n;
}

TEST_F(DateTest, SpansAreAbsoluteAndComparisonsAllowAMillisecond) {
  struct RCase {
    const char* function;
    double a, b, result;
  };
  const double ms = 1.0 / 86400000;
  const RCase cases[] = {
      {"date_year_span", 0, 365.25, 1},
      {"date_month_span", 30.4375, 0, 1},
      {"date_week_span", 14, 0, 2},
      {"date_day_span", 1.5, -1, 2.5},
      {"date_hour_span", 0, 0.5, 12},
      {"date_minute_span", 0, 1, 1440},
      {"date_second_span", 2, 1, 86400},
      {"date_compare_datetime", 1, 1 + ms / 2, 0},
      {"date_compare_datetime", 1, 1 + 2 * ms, -1},
      {"date_compare_datetime", 2, 1, 1},
      {"date_compare_date", 1.9, 1.1, 0},
      {"date_compare_date", 2, 1.9, 1},
      {"date_compare_date", 1.9, 2, -1},
      {"date_compare_time", 1.25, 3.25 + ms / 2, 0},
      {"date_compare_time", 3.5, 1.25, 1},
      {"date_compare_time", 3.1, 1.25, -1},
      {"date_date_of", 3.75, 0, 3},
      {"date_time_of", 3.75, 0, 0.75},
  };
  for (const RCase& c : cases) {
    const RValue r =
        c.function == std::string_view("date_date_of") || c.function == std::string_view("date_time_of")
            ? Call(c.function, {c.a})
            : Call(c.function, {c.a, c.b});
    EXPECT_DOUBLE_EQ(r.Real(), c.result) << c.function << ' ' << c.a << ' ' << c.b;
  }
}

TEST_F(DateTest, YearAndMonthLengths) {
  struct RCase {
    double y, m, daysInMonth, daysInYear;
  };
  const RCase cases[] = {
      {2024, 2, 29, 366}, {2023, 2, 28, 365},  {1900, 2, 28, 365}, {2000, 2, 29, 366},
      {2023, 4, 30, 365}, {2023, 12, 31, 365}, {1600, 1, 31, 366}, {2100, 2, 28, 365},
  };
  for (const RCase& c : cases) {
    const double d = Date(c.y, c.m, 10) + 0.5;
    EXPECT_EQ(Real("date_days_in_month", {d}), c.daysInMonth) << c.y << '-' << c.m;
    EXPECT_EQ(Real("date_days_in_year", {d}), c.daysInYear) << c.y;
    EXPECT_EQ(Real("date_leap_year", {d}), c.daysInYear == 366 ? 1 : 0) << c.y;
  }
}

TEST_F(DateTest, TextInTheShortDateAndLongTimeFormats) {
  const double d = Date(2000, 1, 1);
  EXPECT_EQ(Str("date_date_string", {d + 0.5}), "01/01/00");
  EXPECT_EQ(Str("date_time_string", {d + 0.5}), "12:00:00");
  EXPECT_EQ(Str("date_time_string", {DateTime(2024, 2, 29, 13, 45, 30)}), "13:45:30");
  EXPECT_EQ(Str("date_datetime_string", {DateTime(2024, 2, 29, 13, 45, 30)}), "02/29/24 13:45:30");
  EXPECT_EQ(Str("date_datetime_string", {d}), "01/01/00");
  EXPECT_EQ(Str("date_datetime_string", {d + 1.0 / 86400}), "01/01/00 00:00:01");
  EXPECT_EQ(Str("date_datetime_string", {-1.25}), "12/29/99 06:00:00");
  EXPECT_EQ(Str("date_time_string", {0}), "00:00:00");
}

TEST_F(DateTest, NowIsTheLocalWallClock) {
  const double utc = static_cast<double>(std::time(nullptr)) / 86400 + 25569;
  const double now = Real("date_current_datetime");
  EXPECT_NEAR(now, utc, 5.0 / 86400);
  setenv("TZ", "XYZ-3", 1); // three hours east of Greenwich, no daylight saving
  const double east = Real("date_current_datetime");
  setenv("TZ", "UTC", 1);
  EXPECT_NEAR(east - now, 3.0 / 24, 5.0 / 86400);

  const double today = Real("date_current_date");
  const double time = Real("date_current_time");
  EXPECT_EQ(today, std::trunc(now));
  EXPECT_GE(time, 0);
  EXPECT_LT(time, 1);
  EXPECT_EQ(Real("date_is_today", {today + 0.99}), 1);
  EXPECT_EQ(Real("date_is_today", {today + 1}), 0);
  EXPECT_EQ(Real("date_is_today", {today - 0.5}), 0);
}

// Every date function on values beyond any calendar; the sanitized build stops on an overflow.
TEST_F(DateTest, ExtremeArgumentsStayWithinTheArithmetic) {
  const double extremes[] = {NAN,    INFINITY,       -INFINITY,       1e300,
                             -1e300, 999999999999.5, -999999999999.5, 9.2e18};
  for (int32_t id = 0; const RFunction* f = GetBuiltinFunction(id); ++id) {
    if (f->f_name.rfind("date_", 0) != 0) continue;
    for (double x : extremes) {
      RValue argv[16];
      for (int32_t i = 0; i < f->f_argnumb; ++i) argv[i] = RValue(i == 0 ? x : 2.0);
      RValue result;
      f->f_routine(nullptr, nullptr, f->f_argnumb, result, argv);
      if (f->f_argnumb >= 2) {
        argv[0] = RValue(45000.5);
        argv[1] = RValue(x);
        f->f_routine(nullptr, nullptr, f->f_argnumb, result, argv);
      }
    }
  }
}

} // namespace
} // namespace vl

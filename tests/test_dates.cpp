// Calendar arithmetic: hours of URBS dates, day numbers, leap years.
#include <gtest/gtest.h>

#include <cstdio>

#include "library/dates.h"
#include "library/unit_slots.h"
#include "test_support.h"

namespace {

using testing_support::Console;
using testing_support::status_of;

std::string ten_decimals(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.10f", v);
  return buf;
}

TEST(Dates, UrbsDateHours) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Mon Jan 01 1900 00:00", "0.0000000000"},
      {"Mon Jan 02 1900 00:00", "24.0000000000"},
      {"Thu Mar 01 1900 00:00", "1416.0000000000"},  // 1900 is no leap year
      {"Sat Jan 01 2000 00:00", "876576.0000000000"},
      {"Wed Mar 01 2000 00:00", "878016.0000000000"},  // 2000 is one
      {"Mon Jan 01 1990 06:30", "788934.5000000000"},
      {"Xyz Jan 01 1990 06:30", "788934.5000000000"},  // the weekday is never read
      {"Mon JAN 01 1990 00:00", "788928.0000000000"},  // month names are keywords
      {"Mon mAR 01 1990 00:00", "790344.0000000000"},  // in any case
      {"Mon oCT 15 1990 12:00", "795828.0000000000"},
      {"Mon dec 01 1990 00:00", "796944.0000000000"},
      // The minute fraction in single precision.
      {"Mon Jan 01 1990 00:20", "788928.3333333433"},
      // Not range-checked: day 45 is 44 days after 1 January.
      {"Mon Jan 45 1990 30:99", "790015.6499999762"},
      {"Fri Jan 01 2101 00:00   ", "1761936.0000000000"},
  };
  for (const auto& [date, hours] : cases) EXPECT_EQ(ten_decimals(lib::URBSDATEHOURS(date)), hours) << date;
}

TEST(Dates, BadUrbsDatesEndTheRun) {
  const std::pair<std::string_view, std::string> cases[] = {
      {"Mon Jan 01 1899 00:00", "ERROR - Date outside expected range, earlier than 1900. Contact flowtab@example.org"},
      {"Mon Foo 01 1990 00:00  ", "ERROR - Unable to extract month from URBS date:Mon Foo 01 1990 00:00"},
      {"Mon Jan xx 1990 00:00", "ERROR - Reading argument value: Mon Jan xx 1990 00:00"},
      {"Mon Jan 01      00:00", "ERROR - Reading argument value: Mon Jan 01      00:00"},
      {"Mon Jan 01 1990", "ERROR - Reading argument value: Mon Jan 01 1990"},
      // A null value or a slash is no value (it must not reuse the last date's field).
      {"Mon Jan ,1 1990 00:00", "ERROR - Reading argument value: Mon Jan ,1 1990 00:00"},
      {"Mon Jan 01 1990 00:/0", "ERROR - Reading argument value: Mon Jan 01 1990 00:/0"},
  };
  for (const auto& [date, message] : cases) {
    Console con("");
    lib::INITUNITS(1000);
    lib::URBSDATEHOURS("Mon Feb 03 1991 04:05");
    EXPECT_EQ(status_of([&] { lib::URBSDATEHOURS(date); }), 1) << date;
    EXPECT_EQ(con.text(), message + "\n\nPress Enter to Close\n");
  }
}

TEST(Dates, HoursSince1900LeapYearsAndMonthLengths) {
  const std::pair<lib::DateFields, double> cases[] = {
      {{1850, 3, 1, 0, 0, 0}, 1416.0},  // no years before 1900; months of a common year
      {{1900, 1, 1, 0, 0, 1800}, 0.5},
      {{1900, 14, 1, 0, 0, 0}, 8760.0},  // months beyond 12 add nothing
      {{2000, 3, 1, 0, 0, 0}, 878016.0},
  };
  for (const auto& [d, hours] : cases) EXPECT_EQ(lib::HOURSSINCE1900(d), hours) << d[0] << "-" << d[1];
  EXPECT_TRUE(lib::LEAPYEAR(2000) && lib::LEAPYEAR(2024) && lib::LEAPYEAR(-4));
  EXPECT_FALSE(lib::LEAPYEAR(1900) || lib::LEAPYEAR(2023) || lib::LEAPYEAR(-100));
  EXPECT_EQ(lib::DAYSINYEAR(1900), 365);
  EXPECT_EQ(lib::DAYSINYEAR(2000), 366);
  const std::array<std::int32_t, 3> months[] = {{2, 1900, 28}, {2, 2000, 29}, {2, 2024, 29},
                                                {4, 2001, 30}, {13, 2000, 0}, {0, 2000, 0}};
  for (const auto& [m, y, days] : months) EXPECT_EQ(lib::DAYSINMONTH(m, y), days) << m << " " << y;
}

TEST(Dates, NumberOfDays) {
  const std::pair<std::string_view, std::int32_t> cases[] = {
      {"20000101", 1},   {"20000131", 31}, {"20000201", 32}, {"20000228", 59}, {"20000229", 59}, {"20001231", 365},
      {"20010101", 366}, {"2000 1 1", 1},  {"19991230", -1}, {"2000AB01", -1}, {"20001301", -1},  // no month 13
      {"2000", 0},  // blank fields read as 0
  };
  for (const auto& [date, days] : cases) EXPECT_EQ(lib::NUMBEROFDAYS(date), days) << date;
}

}  // namespace

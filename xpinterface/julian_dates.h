// Julian dates (YYYYDDD) of interface files: leap years, day counts, the
// seconds between two dated times, and the calendar date and clock time of a
// dated time.
//
// A step's date is a 32-bit integer holding year x 1000 + day of the year,
// split by division truncated toward zero (so a negative date gives a
// negative day).  Every year up to 0 counts as a leap year, years 1 to 99 are
// leap years when divisible by 4, later years follow the Gregorian rule.  Day
// counts are sums of year lengths; they are computed here in closed form in
// 64-bit integers, so that a date of any 32-bit value costs the same as any
// other.
#pragma once

#include <cstdint>

namespace xp {

// True when year y has 366 days.
bool XPLEAP(std::int32_t y);

// Days from the date `from` to the date `to`, counting the lengths of the
// whole years between them (the counting pass's time-jump test).
std::int64_t day_difference(std::int32_t from, std::int32_t to);

// Day number of a date: its day plus the lengths of the years 1 to its year
// - 1 (nothing added for years up to 1).  Only differences are used.
std::int64_t XPJULIANDAYS(std::int32_t jday);

// Seconds from (jday1, sec1) to (jday2, sec2): (sec2 - sec1) + days x 86400,
// each operation in single precision.
float XPELAPSED(std::int32_t jday1, float sec1, std::int32_t jday2, float sec2);

// Calendar date and clock time of a dated time.
struct CalendarTime {
  std::int32_t year = 0, month = 0, day = 0;
  std::int32_t hour = 0, minute = 0, second = 0;
};

// Splits (jday, seconds of the day) into `t`.  Years below 100 are taken as
// 1900 + year (the year's length still follows the two-digit year).  A day
// beyond the year's length leaves month and day as they were; a day of 0 or
// less gives month 1 with that day.  The clock rounds up by 0.36 s to the
// hour and 0.01 s to the second, so 86399.999 s gives 24:00:00; times are not
// brought into a day.
void XPJULIANSPLIT(std::int32_t jday, double timesec, CalendarTime& t);

}  // namespace xp

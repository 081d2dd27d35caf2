// Leap years and day counts of Julian dates in closed form; a date split
// into month and day, seconds into the clock.
#include "xpinterface/julian_dates.h"

#include <array>
#include <cmath>
#include <limits>

namespace xp {

namespace {

struct YearDay {
  std::int64_t year;
  std::int64_t day;
};

YearDay split(std::int32_t jday) {
  const std::int64_t y = jday / 1000;  // truncates toward zero
  return {y, jday - 1000 * y};
}

// Days in the years from 0 to y - 1 (y >= 0), or minus the days in the
// years y to -1 (y < 0): the sum of the year lengths over [a, b) is
// days_before(b) - days_before(a) for any a < b.
std::int64_t days_before(std::int64_t y) {
  if (y < 0) return 366 * y;  // every year below 0 is a leap year
  // Years 0 to y - 1: a leap year every 4 years from year 0, less the
  // centuries from year 100 that are not divisible by 400.  For years up to
  // 99 the rule "divisible by 4" gives the same.
  const auto ceil_div = [](std::int64_t a, std::int64_t b) { return (a + b - 1) / b; };
  return 365 * y + ceil_div(y, 4) - ceil_div(y, 100) + ceil_div(y, 400);
}

// The truncation toward zero of v, or the lowest 32-bit integer (what the
// processor's own conversion gives) when it has none: not a number, or out of
// range.
std::int32_t truncate_to_i32(double v) {
  const double t = std::trunc(v);
  constexpr double lo = std::numeric_limits<std::int32_t>::min(), hi = std::numeric_limits<std::int32_t>::max();
  return t >= lo && t <= hi ? static_cast<std::int32_t>(t) : std::numeric_limits<std::int32_t>::min();
}

}  // namespace

bool XPLEAP(std::int32_t y) {
  if (y <= 0) return true;
  return y % 4 == 0 && (y < 100 || y % 100 != 0 || y % 400 == 0);
}

std::int64_t day_difference(std::int32_t from, std::int32_t to) {
  const YearDay a = split(from), b = split(to);
  return (b.day - a.day) + days_before(b.year) - days_before(a.year);
}

std::int64_t XPJULIANDAYS(std::int32_t jday) {
  const YearDay d = split(jday);
  return d.year > 1 ? d.day + days_before(d.year) - days_before(1) : d.day;
}

float XPELAPSED(std::int32_t jday1, float sec1, std::int32_t jday2, float sec2) {
  const float days = static_cast<float>(day_difference(jday1, jday2));
  return (sec2 - sec1) + days * 86400.0f;
}

void XPJULIANSPLIT(std::int32_t jday, double timesec, CalendarTime& t) {
  const YearDay yd = split(jday);
  const auto y = static_cast<std::int32_t>(yd.year), d = static_cast<std::int32_t>(yd.day);
  const std::int32_t leap = XPLEAP(y) ? 1 : 0;
  // Last day of each month in a year of 365 days; from February on a leap
  // year adds its day to the bound, from March on to the days before.
  static constexpr std::array<std::int32_t, 12> kMonthEnds{31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
  for (std::size_t m = 0; m < kMonthEnds.size(); ++m) {
    if (d > kMonthEnds[m] + (m >= 1 ? leap : 0)) continue;
    t.month = static_cast<std::int32_t>(m + 1);
    t.day = m == 0 ? d : d - kMonthEnds[m - 1] - (m >= 2 ? leap : 0);
    break;
  }
  // The hour in double precision with a single-precision 0.0001 added; the
  // hour's seconds formed in single precision.
  const std::int32_t h = truncate_to_i32(timesec / 3600.0 + static_cast<double>(0.0001f));
  const float hour_seconds = static_cast<float>(h) * 3600.0f;
  const std::int32_t r =
      truncate_to_i32((timesec + static_cast<double>(0.01f)) - static_cast<double>(hour_seconds));
  t.hour = h;
  t.minute = r / 60;
  t.second = r - 60 * t.minute;
  t.year = y < 100 ? y + 1900 : y;
}

}  // namespace xp

// Leap years and day counts of Julian dates in closed form.
#include "xpinterface/julian_dates.h"

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

}  // namespace xp

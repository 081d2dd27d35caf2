#include "library/dates.h"

#include <algorithm>
#include <string>

#include "library/exits.h"
#include "library/ffmt.h"
#include "library/settings.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace lib {

namespace {

constexpr std::array<std::int32_t, 12> kMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr std::array<std::string_view, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The fields of the last URBS date read (the second is never set).
DateFields urbs_fields{};

// The index of the month a date names (12 when none), as ASAME compares
// the names: three letters are compared in any case at once.
std::size_t month_index(std::string_view name) {
  const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
  const bool letters = name.size() == 3 && std::all_of(name.begin(), name.end(), letter);
  const auto same = [&](std::string_view month) {
    if (!letters) return ASAME(name, month);
    for (std::size_t k = 0; k < 3; ++k)
      if ((name[k] | 0x20) != (month[k] | 0x20)) return false;
    return true;
  };
  std::size_t month = 0;
  while (month < kMonthNames.size() && !same(kMonthNames[month])) ++month;
  return month;
}

// One integer read free-form from a field; false when the field holds none,
// or holds a null value or a slash (which would leave the last date's field).
bool read_integer(std::string_view text, std::int32_t& v) {
  ffmt::ListReader r(text);
  return r.read(v) == ffmt::kOk && r.value_read();
}

[[noreturn]] void date_error(std::string text) {
  platform::console::line(text);
  EXITS(1);
}

// 24 x days in single precision, widened.
double day_hours(std::int64_t days) { return static_cast<double>(24.0f * static_cast<float>(days)); }

// Leap years in 1..y (y >= 0).
std::int64_t leap_years_through(std::int64_t y) { return y / 4 - y / 100 + y / 400; }

// The hours of the whole years from 1900 to year - 1.  Every term 24 x 365 or
// 24 x 366 and every partial sum is a whole number far below 2^53, so the
// closed form gives exactly the year-by-year double sum.
double year_hours(std::int32_t year) {
  if (year <= 1900) return 0.0;
  const std::int64_t years = static_cast<std::int64_t>(year) - 1900;
  const std::int64_t leaps = leap_years_through(static_cast<std::int64_t>(year) - 1) - leap_years_through(1899);
  return static_cast<double>(years * 24 * 365 + leaps * 24);
}

// The hours of months 1..month-1 of year.
double month_hours(std::int32_t month, std::int32_t year) {
  double h = 0.0;
  for (std::int32_t k = 1; k < month && k <= 12; ++k) h += day_hours(DAYSINMONTH(k, year));
  return h;
}

}  // namespace

bool LEAPYEAR(std::int32_t YEAR) { return (YEAR % 4 == 0 && YEAR % 100 != 0) || YEAR % 400 == 0; }

std::int32_t DAYSINMONTH(std::int32_t MONTH, std::int32_t YEAR) {
  if (MONTH < 1 || MONTH > 12) return 0;
  if (MONTH == 2 && LEAPYEAR(YEAR)) return 29;
  return kMonthDays[static_cast<std::size_t>(MONTH - 1)];
}

std::int32_t DAYSINYEAR(std::int32_t YEAR) { return LEAPYEAR(YEAR) ? 366 : 365; }

double HOURSSINCE1900(const DateFields& D) {
  const auto [y, m, d, hour, n, s] = D;
  // Summed in this order: the day, the hour, the minute and second
  // fractions (single precision), then the years and the months.
  double h = day_hours(static_cast<std::int64_t>(d) - 1);
  h += static_cast<double>(hour);
  h += static_cast<double>(static_cast<float>(n) / 60.0f);
  h += static_cast<double>(static_cast<float>(s) / 3600.0f);
  h += year_hours(y);
  h += month_hours(m, y);
  return h;
}

namespace {

// What reading an URBS date can meet.
enum class DateFault { kNone, kUnreadable, kBefore1900, kMonth };

// Reads the fields of an URBS date into f; stops at the first fault, in the
// order the date's own checks are made.
DateFault read_urbs_date(std::string_view DATESTR, DateFields& f) {
  if (!read_integer(columns(DATESTR, 11, 4), f[0])) return DateFault::kUnreadable;
  if (f[0] < 1900) return DateFault::kBefore1900;
  const std::string_view name = columns(DATESTR, 4, 3);
  const std::size_t month = month_index(name);
  if (month == kMonthNames.size()) return DateFault::kMonth;
  f[1] = static_cast<std::int32_t>(month) + 1;
  if (!read_integer(columns(DATESTR, 8, 2), f[2]) || !read_integer(columns(DATESTR, 16, 2), f[3]) ||
      !read_integer(columns(DATESTR, 19, 2), f[4]))
    return DateFault::kUnreadable;
  f[5] = 0;
  return DateFault::kNone;
}

}  // namespace

double URBSDATEHOURS(std::string_view DATESTR) {
  DateFields& f = urbs_fields;
  switch (read_urbs_date(DATESTR, f)) {
    case DateFault::kNone:
      return HOURSSINCE1900(f);
    case DateFault::kUnreadable:
      date_error("ERROR - Reading argument value: " + std::string(trim_right(DATESTR)));
    case DateFault::kBefore1900:
      date_error("ERROR - Date outside expected range, earlier than 1900. Contact " + std::string(kSupportEmail));
    case DateFault::kMonth:
      date_error("ERROR - Unable to extract month from URBS date:" + std::string(trim_right(DATESTR)));
  }
  return 0.0;
}

bool urbs_date_hours(std::string_view DATESTR, double& hours) {
  DateFields f{};
  if (read_urbs_date(DATESTR, f) != DateFault::kNone) return false;
  hours = HOURSSINCE1900(f);
  return true;
}

std::int32_t NUMBEROFDAYS(std::string_view DATE) {
  std::int32_t year = 0, month = 0, day = 0;
  if (ffmt::fixed_int(columns(DATE, 0, 4), year) != ffmt::kOk ||
      ffmt::fixed_int(columns(DATE, 4, 2), month) != ffmt::kOk ||
      ffmt::fixed_int(columns(DATE, 6, 2), day) != ffmt::kOk)
    return -1;
  if (month > 12) return -1;
  if (month == 2 && day > 28) day = 28;
  std::int32_t before = 0;
  for (std::int32_t k = 1; k < month; ++k) before += kMonthDays[static_cast<std::size_t>(k - 1)];
  return year * 365 + before + day - 730000;
}

}  // namespace lib

// Gregorian calendar arithmetic: hours since 1900-01-01 00:00 of a dated
// URBS row, and day numbers of eight-digit dates.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace lib {

// Year, month, day, hour, minute, second.
using DateFields = std::array<std::int32_t, 6>;

// Hours since 1900-01-01 00:00 of an URBS date text ("Mon Jan 01 1990 00:00":
// month name in columns 5-7, day 9-10, year 12-15, hour 17-18, minute 20-21;
// columns beyond the text are blank).  A year before 1900, an unknown month
// name or a field that holds no integer is reported on the console and ends
// the run through EXITS.
double URBSDATEHOURS(std::string_view DATESTR);

// URBSDATEHOURS without its end: false, with nothing reported, where that
// would end the run.  Safe on any thread.
bool urbs_date_hours(std::string_view DATESTR, double& hours);

// Hours since 1900-01-01 00:00:00 of D; years before 1900 count none, months
// beyond 12 add nothing.
double HOURSSINCE1900(const DateFields& D);

bool LEAPYEAR(std::int32_t YEAR);
// Days of MONTH in YEAR (29 for February of a leap year); 0 for a MONTH
// outside 1-12.
std::int32_t DAYSINMONTH(std::int32_t MONTH, std::int32_t YEAR);
std::int32_t DAYSINYEAR(std::int32_t YEAR);

// Day number of DATE (year in columns 1-4, month 5-6, day 7-8) counted in
// 365-day years, 1 for 1 January 2000; -1 when a field cannot be read or the
// month lies above 12.
std::int32_t NUMBEROFDAYS(std::string_view DATE);

}  // namespace lib

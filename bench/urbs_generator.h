// Writes large URBS result files for the benchmarks.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// An URBS file of `locations` computed hydrographs by `values` half-hour
// rows (about 11 bytes a value); with `dated`, rows start with a date.
inline std::string urbs_file(int locations, int values, bool dated) {
  std::string f;
  f.reserve(static_cast<std::size_t>(values) * (26 + 11 * static_cast<std::size_t>(locations)) + 4096);
  char buf[64];
  std::snprintf(buf, sizeof buf, "DATA PARAMETERS : Locations = %d Values = %d\n", locations, values);
  f += "URBS generated run\n";
  f += buf;
  f += "------------------------------------------------\n";
  const std::string label(dated ? 25 : 19, ' ');
  f += label;
  for (int k = 1; k <= locations; ++k) {
    std::snprintf(buf, sizeof buf, "  L%06d", k);
    f += buf;
  }
  f += '\n';
  f += label;
  for (int k = 1; k <= locations; ++k) f += "     Calc";
  f += '\n';
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int year = 1990, month = 0, day = 1;  // of the dated rows, from 1 January 1990
  for (int j = 0; j < values; ++j) {
    if (dated) {
      std::snprintf(buf, sizeof buf, "Mon %s %02d %04d %02d:%02d    ", kMonths[month], day, year, (j % 48) / 2,
                    (j % 2) * 30);
      if (j % 48 == 47) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        const int days = month == 1                                                ? (leap ? 29 : 28)
                         : (month == 3 || month == 5 || month == 8 || month == 10) ? 30
                                                                                   : 31;
        if (++day > days) {
          day = 1;
          if (++month == 12) {
            month = 0;
            ++year;
          }
        }
      }
    } else {
      std::snprintf(buf, sizeof buf, "%10.2f", j * 0.5);
    }
    f += buf;
    for (int k = 1; k <= locations; ++k) {
      std::snprintf(buf, sizeof buf, "%11.3f", 0.25 * k * (j % 97) / 97.0);
      f += buf;
    }
    f += '\n';
  }
  return f;
}

}  // namespace bench

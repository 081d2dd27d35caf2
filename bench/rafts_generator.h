// Writes large XP-RAFTS result files for the benchmarks.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// An XP-RAFTS file of `storms` storms that share `hydrographs` hydrographs
// between them (as evenly as they divide), each of `increments` values in
// 16-column fields, five a record (80 bytes a record).
inline std::string rafts_file(int hydrographs, int increments, int storms) {
  std::string f;
  const std::size_t records = static_cast<std::size_t>((increments + 4) / 5);
  f.reserve(static_cast<std::size_t>(hydrographs) * (records * 81 + 40) + static_cast<std::size_t>(storms) * 32);
  char line[128];
  int made = 0;
  for (int k = 1; k <= storms; ++k) {
    const int nsub = hydrographs * k / storms - made;
    std::snprintf(line, sizeof line, "%5d%5d%5d%10.1f\n", k, nsub, increments, 5.0);
    f += line;
    for (int h = 1; h <= nsub; ++h) {
      std::snprintf(line, sizeof line, "          NODE%05d\n", made + h);
      f += line;
      for (int j = 1; j <= increments; ++j) {
        const double q = 0.01 * (made + h) * ((j * 7) % 101);
        std::snprintf(line, sizeof line, "%16.4f", q);
        f += line;
        if (j % 5 == 0 || j == increments) f += '\n';
      }
    }
    made += nsub;
  }
  return f;
}

// The event-names file of a file of `storms` storms.
inline std::string rafts_event_names(int storms) {
  std::string f;
  for (int k = 1; k <= storms; ++k) f += "EV" + std::to_string(k) + "\n";
  return f;
}

}  // namespace bench

// Writes large WBNM result files for the benchmarks.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// A single-storm WBNM file of `subareas` hydrograph blocks of `steps` rows
// each (about 100 bytes a row), with its peak summary.
inline std::string wbnm_file(int subareas, int steps) {
  std::string f;
  f.reserve(static_cast<std::size_t>(subareas) * static_cast<std::size_t>(steps) * 101 + 4096);
  f += "#####START_META_FILE######################################################\n";
  f += "WBNM Version: 2017_1b - generated\n";
  f += "#####END_META_FILE########################################################\n";
  f += "#####START_STORM#1\n";
  char line[256];
  for (int s = 1; s <= subareas; ++s) {
    std::snprintf(line, sizeof line, "#####START_HYDROGRAPHS_SUB%04d\n", s);
    f += line;
    f += "     Time    Rain  Rainperv    Qtop      Qbot      Qper      Qimp    Qinto_OS   Qout_OS  Stage\n";
    for (int j = 0; j < steps; ++j) {
      const double t = 5.0 * j;
      const double q = 10.0 * s * (j % 97) / 97.0;
      std::snprintf(line, sizeof line, "%9.1f%8.2f%8.2f%10.3f%10.3f%10.3f%10.3f%10.3f%10.3f%10.3f\n", t,
                    (j % 13) * 1.5, (j % 11) * 1.25, q * 0.5, q * 0.25, q * 0.3, q * 0.1, q, q * 1.01, 0.0);
      f += line;
    }
    std::snprintf(line, sizeof line, "#####END_HYDROGRAPHS_SUB%04d\n", s);
    f += line;
  }
  f += "#####START_PEAK_SUMMARY\n1\n2\n3\n4\n5\n6\n";
  for (int s = 1; s <= subareas; ++s) {
    std::snprintf(line, sizeof line, "SUB%04d      0 %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f %9.3f\n", s, 0.0, 0.0,
                  s * 1.0, 0.0, 0.0, s * 10.0, s * 10.1);
    f += line;
  }
  f += "#####END_PEAK_SUMMARY\n#####END_STORM#1\n";
  return f;
}

}  // namespace bench

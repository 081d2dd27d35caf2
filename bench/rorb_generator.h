// Writes large RORB result files for the benchmarks.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// A RORB file whose hydrograph summary holds `blocks` blocks of `width`
// hydrographs by `rows` rows of 5-minute steps (about 10 bytes a value).
inline std::string rorb_file(int blocks, int width, int rows) {
  std::string f;
  f.reserve(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(rows) *
                (14 + 10 * static_cast<std::size_t>(width)) +
            4096);
  f += " RORB generated output\n\n Hydrograph summary\n ******************\n\n";
  char buf[64];
  for (int b = 0; b < blocks; ++b) {
    f += " Inc    Time";
    for (int k = 1; k <= width; ++k) {
      std::snprintf(buf, sizeof buf, "   Hyd%04d", b * width + k);
      f += buf;
    }
    f += '\n';
    for (int j = 0; j < rows; ++j) {
      std::snprintf(buf, sizeof buf, "%5d%8.3f", j, j / 12.0);
      f += buf;
      for (int k = 1; k <= width; ++k) {
        std::snprintf(buf, sizeof buf, "%10.3f", 0.5 * k * ((j + b) % 89) / 89.0);
        f += buf;
      }
      f += " \n";
    }
    f += "\n";
  }
  return f;
}

}  // namespace bench

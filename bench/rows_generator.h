// Writes large row-block files for the benchmarks.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// `blocks` titled blocks of `values` numbers each, ten to a line (about 9
// bytes a value), separated by empty lines.
inline std::string rows_file(int blocks, int values) {
  constexpr int kPerLine = 10;
  std::string f;
  f.reserve(static_cast<std::size_t>(blocks) * (static_cast<std::size_t>(values) * 9 + 32));
  char field[64];
  for (int b = 1; b <= blocks; ++b) {
    std::snprintf(field, sizeof field, "Flow %d\n", b);
    f += field;
    for (int j = 0; j < values; ++j) {
      std::snprintf(field, sizeof field, "%9.3f", 0.25 * b * (j % 97) / 97.0);
      f += field;
      if ((j + 1) % kPerLine == 0 || j + 1 == values) f += '\n';
    }
    f += '\n';
  }
  return f;
}

}  // namespace bench

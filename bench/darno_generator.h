// Writes large DARNO fixed-field result files for the benchmarks.
#pragma once

#include <cstdio>
#include <string>

namespace bench {

// `blocks` discharge blocks with numeric names, each of `values` values at
// 5-minute steps, eight 10-column fields to a record (about 20 bytes a value).
inline std::string darno_file(int blocks, int values) {
  constexpr int kPerRecord = 8;
  const auto records = static_cast<std::size_t>((values + kPerRecord - 1) / kPerRecord);
  std::string f;
  f.reserve(static_cast<std::size_t>(blocks) * (2 * records * 81 + 16) + 64);
  f += "DARNO results file (generated)\n";
  char field[64];
  for (int b = 1; b <= blocks; ++b) {
    std::snprintf(field, sizeof field, "QT   %5d%5d\n", b, values);
    f += field;
    for (int list = 0; list < 2; ++list) {
      for (int j = 0; j < values; ++j) {
        const double v = list == 0 ? j / 12.0 : 0.5 * b * (j % 89) / 89.0;
        std::snprintf(field, sizeof field, list == 0 ? "%10.4f" : "%10.3f", v);
        f += field;
        if ((j + 1) % kPerRecord == 0 || j + 1 == values) f += '\n';
      }
    }
  }
  return f;
}

}  // namespace bench

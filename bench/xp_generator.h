// Writes large XP interface files for the benchmarks, through the test
// suite's writer of every physical layout.
#pragma once

#include <string>

#include "tests/xp_file_writer.h"

namespace bench {

// An interface file of `locations` flows at `steps` five-minute steps, of
// physical type `type` and the given source name ("rafts": one record per
// step).
inline std::string interface_file(int type, const char* source, int locations, int steps) {
  xpgen::File f;
  f.type = type;
  f.source = source;
  for (int i = 0; i < locations; ++i) f.ids.push_back("NODE" + std::to_string(i + 1));
  f.steps.resize(static_cast<std::size_t>(steps));
  for (int k = 0; k < steps; ++k) {
    xpgen::Step& s = f.steps[static_cast<std::size_t>(k)];
    s.jday = 2000001 + (k * 300) / 86400;
    s.timesec = (k * 300) % 86400;
    s.q.resize(static_cast<std::size_t>(locations));
    for (int i = 0; i < locations; ++i) s.q[static_cast<std::size_t>(i)] = 0.01 * ((i + k) % 997);
  }
  return xpgen::write(f).bytes;
}

}  // namespace bench

// Throughput of a whole WBNM conversion (read, time axis, both .ts1 files and
// the peak table), in bytes of input per second; and the program's `main`,
// which also writes generated inputs for timing the release build.
//
//   flowtab_bench --generate=FILE --kind=KIND [--mb=N]   writes a file of about
//                 N MB (default 100) of one input kind: wbnm, rafts, rorb,
//                 urbs, urbs-dated, darno, rows or xp (and says how many
//                 values a conversion of it stores)
//   flowtab_bench [benchmark flags]                      runs the benchmarks
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "bench/darno_generator.h"
#include "bench/rorb_generator.h"
#include "bench/rows_generator.h"
#include "bench/urbs_generator.h"
#include "bench/wbnm_generator.h"
#include "bench/whole_conversion.h"
#include "bench/rafts_generator.h"
#include "bench/xp_generator.h"

namespace {

void BM_WbnmConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Wbnm, "big_Meta.out",
                         bench::wbnm_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
}
BENCHMARK(BM_WbnmConversion)->Args({50, 2000})->Args({300, 3000})->Unit(benchmark::kMillisecond);

// Series of `per_series` bytes for a file of about `bytes` bytes (at least one).
int count_for(double bytes, double per_series) { return std::max(1, static_cast<int>(std::lround(bytes / per_series))); }

// A generated input and the number of values a conversion of it stores.
struct Generated {
  std::string text;
  std::int64_t stored = 0;
};

// The generated inputs by kind, each of about `bytes` bytes: series of 10000
// steps (the most a series may hold), as many as the size asks for.
constexpr int kSteps = 10000;
struct GeneratedKind {
  std::string_view name;
  std::function<Generated(double bytes)> make;
};
const GeneratedKind kGenerated[] = {
    // q and the local values of each row
    {"wbnm",
     [](double b) {
       const int n = count_for(b, 95.1 * kSteps);
       return Generated{bench::wbnm_file(n, kSteps), 2LL * n * kSteps};
     }},
    {"rorb",
     [](double b) {
       const int n = count_for(b, 1014.0 * kSteps);
       return Generated{bench::rorb_file(n, 100, kSteps), 100LL * n * kSteps};
     }},
    {"urbs",
     [](double b) {
       const int n = count_for(b, 11.0 * kSteps);
       return Generated{bench::urbs_file(n, kSteps, false), 1LL * n * kSteps};
     }},
    {"urbs-dated",
     [](double b) {
       const int n = count_for(b, 11.0 * kSteps);
       return Generated{bench::urbs_file(n, kSteps, true), 1LL * n * kSteps};
     }},
    // the values, and the times of one block at a time
    {"darno",
     [](double b) {
       const int n = count_for(b, 2 * 10.125 * kSteps);
       return Generated{bench::darno_file(n, kSteps), (n + 1LL) * kSteps};
     }},
    {"rows",
     [](double b) {
       const int n = count_for(b, 9.1 * kSteps);
       return Generated{bench::rows_file(n, kSteps), 1LL * n * kSteps};
     }},
    {"rafts",
     [](double b) {
       const int n = count_for(b, 81.0 * kSteps / 5 + 20);
       return Generated{bench::rafts_file(n, kSteps, 1), 1LL * n * kSteps};
     }},
    // Binary: 32-bit flows, one record of every location's flow per step.
    {"xp",
     [](double b) {
       const int n = count_for(b, 4.0 * kSteps);
       return Generated{bench::interface_file(2, "rafts", n, kSteps), 1LL * n * kSteps};
     }},
};

int write_generated(const std::string& path, std::string_view kind, double mb) {
  for (const GeneratedKind& g : kGenerated) {
    if (g.name != kind) continue;
    const Generated data = g.make(mb * 1e6);
    std::ofstream out(path, std::ios::binary);
    out.write(data.text.data(), static_cast<std::streamsize>(data.text.size()));
    if (!out.flush()) {
      std::cerr << path << ": cannot write\n";
      return 1;
    }
    std::cout << path << ": " << data.text.size() << " bytes, " << data.stored << " stored values\n";
    return 0;
  }
  std::cerr << "unknown kind \"" << kind << "\"; one of:";
  for (const GeneratedKind& g : kGenerated) std::cerr << ' ' << g.name;
  std::cerr << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path, kind = "wbnm";
  double mb = 100.0;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a.starts_with("--generate="))
      path = a.substr(11);
    else if (a.starts_with("--kind="))
      kind = a.substr(7);
    else if (a.starts_with("--mb="))
      mb = std::stod(std::string(a.substr(5)));
    else
      rest.push_back(argv[i]);
  }
  if (!path.empty()) return write_generated(path, kind, mb);
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}

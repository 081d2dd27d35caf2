// Throughput of a whole WBNM conversion (read, time axis, both .ts1 files and
// the peak table), in bytes of input per second; and the program's `main`,
// which also writes generated inputs for timing the release build.
//
//   flowtab_bench --generate=FILE --kind=KIND [--mb=N]   writes a file of about
//                 N MB (default 100) of one input kind: wbnm, rafts, rorb,
//                 urbs, urbs-dated, darno, rows or xp (and says how many
//                 values a conversion of it stores)
//   ... --shape=SHAPE   writes N MB of lines of one shape instead, whatever
//                 the kind: empty, one (one character) or fifteen (fifteen
//                 characters); no kind reads a value from them
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
#include <utility>
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

// The generated inputs by kind: n series of kSteps steps (10000, the most a
// series may hold), n chosen for a file of about the size asked for.
constexpr int kSteps = 10000;
struct GeneratedKind {
  std::string_view name;
  double bytes_each;                        // bytes of one series
  std::int64_t values_each, values_fixed;   // values a conversion stores: n * each + fixed
  std::function<std::string(int n)> file;
};
const GeneratedKind kGenerated[] = {
    // q and the local values of each row
    {"wbnm", 95.1 * kSteps, 2 * kSteps, 0, [](int n) { return bench::wbnm_file(n, kSteps); }},
    {"rorb", 1014.0 * kSteps, 100 * kSteps, 0, [](int n) { return bench::rorb_file(n, 100, kSteps); }},
    {"urbs", 11.0 * kSteps, kSteps, 0, [](int n) { return bench::urbs_file(n, kSteps, false); }},
    {"urbs-dated", 11.0 * kSteps, kSteps, 0, [](int n) { return bench::urbs_file(n, kSteps, true); }},
    // the values, and the times of one block at a time
    {"darno", 2 * 10.125 * kSteps, kSteps, kSteps, [](int n) { return bench::darno_file(n, kSteps); }},
    {"rows", 9.1 * kSteps, kSteps, 0, [](int n) { return bench::rows_file(n, kSteps); }},
    {"rafts", 81.0 * kSteps / 5 + 20, kSteps, 0, [](int n) { return bench::rafts_file(n, kSteps, 1); }},
    // Binary: 32-bit flows, one record of every location's flow per step.
    {"xp", 4.0 * kSteps, kSteps, 0, [](int n) { return bench::interface_file(2, "rafts", n, kSteps); }},
};

// Files of lines of one shape, which every reader passes over line by line.
const std::pair<std::string_view, std::string_view> kShapes[] = {
    {"empty", "\n"}, {"one", "x\n"}, {"fifteen", "Flows of a line\n"}};

int write_text(const std::string& path, const std::string& text, std::int64_t stored) {
  std::ofstream out(path, std::ios::binary);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out.flush()) {
    std::cerr << path << ": cannot write\n";
    return 1;
  }
  std::cout << path << ": " << text.size() << " bytes, " << stored << " stored values\n";
  return 0;
}

int write_generated(const std::string& path, std::string_view kind, double mb, std::string_view shape) {
  for (const GeneratedKind& g : kGenerated) {
    if (g.name != kind) continue;
    if (!shape.empty()) {
      for (const auto& [name, line] : kShapes) {
        if (name != shape) continue;
        std::string text;
        const auto lines = static_cast<std::size_t>(mb * 1e6) / line.size();
        text.reserve(lines * line.size());
        for (std::size_t i = 0; i < lines; ++i) text += line;
        return write_text(path, text, 0);
      }
      std::cerr << "unknown shape \"" << shape << "\"; one of:";
      for (const auto& s : kShapes) std::cerr << ' ' << s.first;
      std::cerr << '\n';
      return 2;
    }
    const int n = std::max(1, static_cast<int>(std::lround(mb * 1e6 / g.bytes_each)));
    return write_text(path, g.file(n), n * g.values_each + g.values_fixed);
  }
  std::cerr << "unknown kind \"" << kind << "\"; one of:";
  for (const GeneratedKind& g : kGenerated) std::cerr << ' ' << g.name;
  std::cerr << '\n';
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path, kind = "wbnm", shape;
  double mb = 100.0;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a.starts_with("--generate="))
      path = a.substr(11);
    else if (a.starts_with("--kind="))
      kind = a.substr(7);
    else if (a.starts_with("--shape="))
      shape = a.substr(8);
    else if (a.starts_with("--mb="))
      mb = std::stod(std::string(a.substr(5)));
    else
      rest.push_back(argv[i]);
  }
  if (!path.empty()) return write_generated(path, kind, mb, shape);
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}

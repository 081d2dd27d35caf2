// Throughput of a whole URBS conversion (standard and dated rows, time
// axis, .ts1 file and peak table), in bytes of input per second.
#include <benchmark/benchmark.h>

#include "bench/table_conversion.h"
#include "bench/urbs_generator.h"

namespace {

void BM_UrbsConversion(benchmark::State& state) {
  conv::RunSettings run;
  run.input = conv::InputKind::Urbs;
  run.dated_urbs = state.range(2) != 0;
  const std::string data =
      bench::urbs_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), run.dated_urbs);
  bench::convert_each_iteration(state, data, "big.q", run);
}
// Locations, values, dated.
BENCHMARK(BM_UrbsConversion)
    ->Args({50, 2000, 0})
    ->Args({500, 10000, 0})
    ->Args({500, 10000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

// Throughput of a whole URBS conversion (standard and dated rows, time
// axis, .ts1 file and peak table), in bytes of input per second.
#include "bench/urbs_generator.h"
#include "bench/whole_conversion.h"

namespace {

void BM_UrbsConversion(benchmark::State& state) {
  conv::RunSettings run;
  run.input = conv::InputKind::Urbs;
  run.dated_urbs = state.range(2) != 0;
  const std::string data =
      bench::urbs_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), run.dated_urbs);
  bench::time_conversion(state, run, "big.q", data);
}
// Locations, values, dated.
BENCHMARK(BM_UrbsConversion)
    ->Args({50, 2000, 0})
    ->Args({500, 10000, 0})
    ->Args({500, 10000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

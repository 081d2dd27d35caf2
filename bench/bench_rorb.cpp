// Throughput of a whole RORB conversion (summary blocks, time axis, .ts1
// file and peak table), in bytes of input per second.
#include <benchmark/benchmark.h>

#include "bench/rorb_generator.h"
#include "bench/table_conversion.h"

namespace {

void BM_RorbConversion(benchmark::State& state) {
  conv::RunSettings run;
  run.input = conv::InputKind::Rorb;
  const std::string data = bench::rorb_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                            static_cast<int>(state.range(2)));
  bench::convert_each_iteration(state, data, "big.out", run);
}
// Blocks, hydrographs per block, rows.
BENCHMARK(BM_RorbConversion)->Args({2, 50, 2000})->Args({10, 100, 5000})->Unit(benchmark::kMillisecond);

}  // namespace

// Throughput of a whole RORB conversion (summary blocks, time axis, .ts1
// file and peak table), in bytes of input per second.
#include "bench/rorb_generator.h"
#include "bench/whole_conversion.h"

namespace {

void BM_RorbConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Rorb, "big.out",
                         bench::rorb_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                          static_cast<int>(state.range(2))));
}
// Blocks, hydrographs per block, rows.
BENCHMARK(BM_RorbConversion)->Args({2, 50, 2000})->Args({10, 100, 5000})->Unit(benchmark::kMillisecond);

}  // namespace

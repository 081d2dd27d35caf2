// Throughput of a whole row-block conversion.
#include "bench/whole_conversion.h"
#include "bench/rows_generator.h"

namespace {

void BM_RowsConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Rows, "big.txt",
                         bench::rows_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
}
// About 4 MB and 36 MB.
BENCHMARK(BM_RowsConversion)->Args({40, 10000})->Args({400, 10000})->Unit(benchmark::kMillisecond);

}  // namespace

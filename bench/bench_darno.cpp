// Throughput of a whole DARNO fixed-field conversion.
#include "bench/whole_conversion.h"
#include "bench/darno_generator.h"

namespace {

void BM_DarnoConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Darno, "big.dar",
                         bench::darno_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))));
}
// About 4 MB and 40 MB.
BENCHMARK(BM_DarnoConversion)->Args({40, 5000})->Args({400, 5000})->Unit(benchmark::kMillisecond);

}  // namespace

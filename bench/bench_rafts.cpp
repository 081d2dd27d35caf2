// Throughput of a whole XP-RAFTS conversion: a single-storm file, and the
// same hydrographs split into storms with -mr.
#include "bench/rafts_generator.h"
#include "bench/whole_conversion.h"

namespace {

// Arguments: hydrographs, increments, storms (1: a single-storm file read
// without -mr).
void BM_RaftsConversion(benchmark::State& state) {
  const int storms = static_cast<int>(state.range(2));
  bench::time_conversion(state, conv::InputKind::Rafts, "big.tot",
                         bench::rafts_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), storms),
                         storms > 1 ? bench::rafts_event_names(storms) : std::string());
}
// About 15 MB and 146 MB.
BENCHMARK(BM_RaftsConversion)
    ->Args({300, 3000, 1})
    ->Args({300, 3000, 10})
    ->Args({3000, 3000, 1})
    ->Args({3000, 3000, 10})
    ->Unit(benchmark::kMillisecond);

}  // namespace

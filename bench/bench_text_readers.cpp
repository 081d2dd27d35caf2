// Throughput of whole RORB, URBS, DARNO and row-block conversions (reader,
// time axis, .ts1 file and peak table), in bytes of input per second.
#include "bench/darno_generator.h"
#include "bench/rorb_generator.h"
#include "bench/rows_generator.h"
#include "bench/urbs_generator.h"
#include "bench/whole_conversion.h"

namespace {

int arg(const benchmark::State& state, int i) { return static_cast<int>(state.range(i)); }

void BM_RorbConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Rorb, "big.out", bench::rorb_file(arg(state, 0), arg(state, 1), arg(state, 2)));
}
// Blocks, hydrographs per block, rows.
BENCHMARK(BM_RorbConversion)->Args({2, 50, 2000})->Args({10, 100, 5000})->Unit(benchmark::kMillisecond);

void BM_UrbsConversion(benchmark::State& state) {
  conv::RunSettings run;
  run.input = conv::InputKind::Urbs;
  run.dated_urbs = state.range(2) != 0;
  bench::time_conversion(state, run, "big.q", bench::urbs_file(arg(state, 0), arg(state, 1), run.dated_urbs));
}
// Locations, values, dated.
BENCHMARK(BM_UrbsConversion)
    ->Args({50, 2000, 0})
    ->Args({500, 10000, 0})
    ->Args({500, 10000, 1})
    ->Unit(benchmark::kMillisecond);

void BM_DarnoConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Darno, "big.dar", bench::darno_file(arg(state, 0), arg(state, 1)));
}
// Series, steps: about 4 MB and 40 MB.
BENCHMARK(BM_DarnoConversion)->Args({40, 5000})->Args({400, 5000})->Unit(benchmark::kMillisecond);

void BM_RowsConversion(benchmark::State& state) {
  bench::time_conversion(state, conv::InputKind::Rows, "big.txt", bench::rows_file(arg(state, 0), arg(state, 1)));
}
// Blocks, values: about 4 MB and 36 MB.
BENCHMARK(BM_RowsConversion)->Args({40, 10000})->Args({400, 10000})->Unit(benchmark::kMillisecond);

}  // namespace

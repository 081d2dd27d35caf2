// Throughput of the XP interface reader on large generated interface files:
// detection, counting and storing of every location's flows, in bytes of
// input per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/xp_generator.h"
#include "xpinterface/xpreadswmmintfile.h"

namespace {

void BM_XpReader(benchmark::State& state, int type, const char* source) {
  const int locations = static_cast<int>(state.range(0));
  const int steps = static_cast<int>(state.range(1));
  const auto path = std::filesystem::temp_directory_path() / "flowtab_bench_xp.int";
  const std::string data = bench::interface_file(type, source, locations, steps);
  std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
  std::vector<std::string> names;
  std::vector<float> times;
  std::vector<std::vector<float>> flows;
  std::int32_t nsteps = 0, nlocs = 0;
  bool found = false;
  for (auto _ : state) {
    xp::XPREADSWMMINTFILE(path.string(), true, names, times, flows, steps, locations, nsteps, nlocs, found, false);
    benchmark::DoNotOptimize(flows.data());
  }
  if (nsteps != steps || nlocs != locations) state.SkipWithError("the file did not read whole");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
  std::filesystem::remove(path);
}
// One record per step (32-bit reals, stream), and one record per flow
// (64-bit reals, framed).
BENCHMARK_CAPTURE(BM_XpReader, stream_one_record_steps, 2, "rafts")
    ->Args({500, 20000})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_XpReader, framed_record_per_flow, 3, "SWMM")
    ->Args({500, 10000})
    ->Unit(benchmark::kMillisecond);

}  // namespace

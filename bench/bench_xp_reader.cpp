// Throughput of the XP interface reader on large generated interface files:
// detection, counting and storing of every location's flows, in bytes of
// input per second.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/xp_file_writer.h"
#include "xpinterface/xpreadswmmintfile.h"

namespace {

// An interface file of `locations` flows at `steps` five-minute steps.
std::string interface_file(int type, const char* source, int locations, int steps) {
  xpgen::File f;
  f.type = type;
  f.source = source;
  for (int i = 0; i < locations; ++i) f.ids.push_back("NODE" + std::to_string(i + 1));
  f.steps.resize(static_cast<std::size_t>(steps));
  for (int k = 0; k < steps; ++k) {
    xpgen::Step& s = f.steps[static_cast<std::size_t>(k)];
    s.jday = 2000001 + (k * 300) / 86400;
    s.timesec = (k * 300) % 86400;
    s.q.resize(static_cast<std::size_t>(locations));
    for (int i = 0; i < locations; ++i) s.q[static_cast<std::size_t>(i)] = 0.01 * ((i + k) % 997);
  }
  return xpgen::write(f).bytes;
}

void BM_XpReader(benchmark::State& state, int type, const char* source) {
  const int locations = static_cast<int>(state.range(0));
  const int steps = static_cast<int>(state.range(1));
  const auto path = std::filesystem::temp_directory_path() / "flowtab_bench_xp.int";
  const std::string data = interface_file(type, source, locations, steps);
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

// Throughput of a whole XP-RAFTS conversion (set-up, reading, time axis, the
// .ts1 outputs and the peak table), in bytes of input per second: a
// single-storm file, and the same hydrographs split into storms with -mr.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>

#include "bench/rafts_generator.h"
#include "converter/fileloop.h"
#include "library/unittables.h"
#include "platform/console.h"

namespace {

struct NullBuffer : std::streambuf {
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void write(const char* name, const std::string& data) {
  std::ofstream(name, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Arguments: hydrographs, increments, storms (1: a single-storm file read
// without -mr).
void BM_RaftsConversion(benchmark::State& state) {
  const int hydrographs = static_cast<int>(state.range(0));
  const int increments = static_cast<int>(state.range(1));
  const int storms = static_cast<int>(state.range(2));
  const auto dir = std::filesystem::temp_directory_path() / "flowtab_bench_rafts";
  std::filesystem::create_directories(dir);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const std::string data = bench::rafts_file(hydrographs, increments, storms);
  write("big.tot", data);
  write("events.txt", bench::rafts_event_names(storms));

  NullBuffer null;
  std::ostream out(&null);
  platform::console::set_output(&out);
  lib::INITUNITS(1000);
  conv::RunSettings run;
  run.input = conv::InputKind::Rafts;
  run.batch = true;
  run.PROGPATH = "./flowtab";
  if (storms > 1) {
    run.multi_event = run.mr = true;
    run.EVENTFILE = "events.txt";
  }
  const platform::Match match{"", "big.tot"};
  for (auto _ : state) {
    // A new modification time: each conversion reads the file from scratch.
    state.PauseTiming();
    std::filesystem::last_write_time("big.tot", std::filesystem::file_time_type::clock::now());
    state.ResumeTiming();
    conv::FileConverter converter(run);
    converter.convert(match, 1);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
  platform::console::set_output(nullptr);
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RaftsConversion)
    ->Args({300, 3000, 1})
    ->Args({300, 3000, 10})
    ->Args({3000, 3000, 1})
    ->Args({3000, 3000, 10})
    ->Unit(benchmark::kMillisecond);

}  // namespace

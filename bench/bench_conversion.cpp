// Throughput of a whole WBNM conversion (read, time axis, both .ts1 files and
// the peak table), in bytes of input per second.
//
//   flowtab_bench --generate=FILE [--subareas=N --steps=M]   writes a test file
//   flowtab_bench --generate=FILE --kind=rafts [--subareas=N --steps=M --storms=S]
//                                                          an XP-RAFTS one (and FILE.events)
//   flowtab_bench [benchmark flags]                           runs the benchmarks
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>
#include <streambuf>

#include "bench/rafts_generator.h"
#include "bench/wbnm_generator.h"
#include "converter/fileloop.h"
#include "library/unittables.h"
#include "platform/console.h"

namespace {

struct NullBuffer : std::streambuf {
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void BM_WbnmConversion(benchmark::State& state) {
  const int subareas = static_cast<int>(state.range(0));
  const int steps = static_cast<int>(state.range(1));
  const auto dir = std::filesystem::temp_directory_path() / "flowtab_bench";
  std::filesystem::create_directories(dir);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  const std::string data = bench::wbnm_file(subareas, steps);
  std::ofstream("big_Meta.out", std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));

  NullBuffer null;
  std::ostream out(&null);
  platform::console::set_output(&out);
  lib::INITUNITS(1000);
  conv::RunSettings run;
  run.batch = true;
  run.PROGPATH = "./flowtab";
  const platform::Match match{"", "big_Meta.out"};
  for (auto _ : state) {
    // A new modification time: each conversion reads the file from scratch.
    state.PauseTiming();
    std::filesystem::last_write_time("big_Meta.out", std::filesystem::file_time_type::clock::now());
    state.ResumeTiming();
    conv::FileConverter converter(run);
    converter.convert(match, 1);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
  platform::console::set_output(nullptr);
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_WbnmConversion)->Args({50, 2000})->Args({300, 3000})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  std::string generate;
  int subareas = 300, steps = 3000, storms = 1;
  bool rafts = false;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a.starts_with("--generate="))
      generate = a.substr(11);
    else if (a.starts_with("--subareas="))
      subareas = std::stoi(std::string(a.substr(11)));
    else if (a.starts_with("--steps="))
      steps = std::stoi(std::string(a.substr(8)));
    else if (a.starts_with("--storms="))
      storms = std::stoi(std::string(a.substr(9)));
    else if (a == "--kind=rafts")
      rafts = true;
    else
      rest.push_back(argv[i]);
  }
  if (!generate.empty()) {
    const std::string data = rafts ? bench::rafts_file(subareas, steps, storms) : bench::wbnm_file(subareas, steps);
    std::ofstream(generate, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    if (rafts) std::ofstream(generate + ".events", std::ios::binary) << bench::rafts_event_names(storms);
    std::cout << generate << ": " << data.size() << " bytes\n";
    return 0;
  }
  int n = static_cast<int>(rest.size());
  benchmark::Initialize(&n, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}

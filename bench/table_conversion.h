// One whole conversion of a generated file per benchmark iteration, for the
// readers of single-event table files.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>

#include "converter/fileloop.h"
#include "library/unittables.h"
#include "platform/console.h"

namespace bench {

// Converts `data`, written to a file named `name` in a scratch folder, once
// per iteration (reading it afresh each time), console output discarded.
inline void convert_each_iteration(benchmark::State& state, const std::string& data, const std::string& name,
                                   conv::RunSettings run) {
  struct NullBuffer : std::streambuf {
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  } null;
  const auto dir = std::filesystem::temp_directory_path() / ("flowtab_bench_" + name);
  std::filesystem::create_directories(dir);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  std::ofstream(name, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));

  std::ostream out(&null);
  platform::console::set_output(&out);
  lib::INITUNITS(1000);
  run.batch = true;
  run.PROGPATH = "./flowtab";
  const platform::Match match{"", name};
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::last_write_time(name, std::filesystem::file_time_type::clock::now());
    state.ResumeTiming();
    conv::FileConverter converter(run);
    converter.convert(match, 1);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(data.size()));
  platform::console::set_output(nullptr);
  std::filesystem::current_path(old);
  std::filesystem::remove_all(dir);
}

}  // namespace bench

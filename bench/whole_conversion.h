// Times whole conversions (reader, time axis, writer, peak table) of one
// generated input file, once per benchmark iteration, in bytes of input per
// second, with the console discarded.  With event names given, the file is
// split by -mr into events named by them.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>

#include "converter/fileloop.h"
#include "library/unit_slots.h"
#include "platform/console.h"

namespace bench {

// Converts `data`, written to a file named `name` in a scratch folder, with
// the settings of `run` (input kind and switches; batch mode is set here).
inline void time_conversion(benchmark::State& state, conv::RunSettings run, const std::string& name,
                            const std::string& data, const std::string& event_names = {}) {
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
  if (!event_names.empty()) {
    std::ofstream("events.txt", std::ios::binary) << event_names;
    run.multi_event = run.mr = true;
    run.EVENTFILE = "events.txt";
  }
  const platform::Match match{"", name};
  for (auto _ : state) {
    // A new modification time: each conversion reads the file from scratch.
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

// The same for an input kind with default switches.
inline void time_conversion(benchmark::State& state, conv::InputKind kind, const std::string& name,
                            const std::string& data, const std::string& event_names = {}) {
  conv::RunSettings run;
  run.input = kind;
  time_conversion(state, run, name, data, event_names);
}

}  // namespace bench

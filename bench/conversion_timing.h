// Times whole conversions (reader, time axis, .ts1 writer, peak table) of one
// generated input file, in bytes of input per second, with the console
// discarded.  With event names given, the file is split by -mr into events
// named by them.
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

inline void time_conversion(benchmark::State& state, conv::InputKind kind, const std::string& name,
                            const std::string& data, const std::string& event_names = {}) {
  struct NullBuffer : std::streambuf {
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
  };
  const auto dir = std::filesystem::temp_directory_path() / ("flowtab_bench_" + name);
  std::filesystem::create_directories(dir);
  const auto old = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  std::ofstream(name, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));

  NullBuffer null;
  std::ostream out(&null);
  platform::console::set_output(&out);
  lib::INITUNITS(1000);
  conv::RunSettings run;
  run.input = kind;
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

}  // namespace bench

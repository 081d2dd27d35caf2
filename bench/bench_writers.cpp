// Throughput of the writers on a large series table (300 series by 10000
// steps by default): each format written to a file once per iteration, in
// bytes of output per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <ostream>
#include <streambuf>

#include "converter/series.h"
#include "converter/writers/writer.h"
#include "platform/connections.h"
#include "platform/console.h"

namespace {

namespace rt = platform::rt;

struct NullBuffer : std::streambuf {
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A table as a reader fills it: 5-minute steps, values of a few magnitudes,
// every tenth series starting an hour late (blank fields in the axis rows),
// value times kept for .ts2.
conv::SeriesTable make_table(int nseries, int steps, bool keep_times) {
  conv::SeriesTable t;
  t.keep_times = keep_times;
  t.series.resize(static_cast<std::size_t>(nseries));
  for (int i = 0; i < nseries; ++i) {
    conv::Series& s = t.series[static_cast<std::size_t>(i)];
    s.name = "SUB" + std::to_string(1000 + i);
    const int late = i % 10 == 9 ? 12 : 0;
    s.q.reserve(static_cast<std::size_t>(steps - late));
    for (int j = late; j < steps; ++j) {
      const float minutes = 5.0f * static_cast<float>(j);
      if (j == late) s.tstart = minutes;
      s.tend = minutes;
      t.append(s, minutes, 10.0f * static_cast<float>(i + 1) * std::sin(static_cast<float>(j) * 0.01f) + 0.125f);
    }
  }
  return t;
}

void BM_Writer(benchmark::State& state, conv::OutputKind kind, std::int32_t ncol) {
  const int nseries = static_cast<int>(state.range(0));
  const int steps = static_cast<int>(state.range(1));
  NullBuffer null;
  std::ostream out(&null);
  platform::console::set_output(&out);
  conv::RunSettings run;
  run.output = kind;
  run.NCOL = ncol;
  run.PROGPATH = "./flowtab";
  const auto writer = conv::make_writer(kind);
  conv::SeriesTable table = make_table(nseries, steps, writer->needs_value_times());
  const conv::TimeAxis axis = conv::build_time_axis(table, run);
  const auto path = std::filesystem::temp_directory_path() / "flowtab_bench_writer.out";
  const rt::OpenOptions options{rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace};
  std::int64_t bytes = 0;
  for (auto _ : state) {
    if (rt::open(61, path.string(), options) != 0) {
      state.SkipWithError("cannot open the output");
      break;
    }
    writer->write(run, "big.dat", table, axis, 61, 0);
    if (rt::close(61) != 0) {
      state.SkipWithError("cannot write the output");
      break;
    }
    bytes += static_cast<std::int64_t>(std::filesystem::file_size(path));
  }
  state.SetBytesProcessed(bytes);
  state.counters["values/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * nseries * steps,
                                                  benchmark::Counter::kIsRate);
  std::filesystem::remove(path);
  platform::console::set_output(nullptr);
}

BENCHMARK_CAPTURE(BM_Writer, ts1, conv::OutputKind::Ts1, 0)->Args({300, 10000})->Args({1000, 10000})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, csv, conv::OutputKind::Csv, 0)->Args({300, 10000})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, csv_col10, conv::OutputKind::Csv, 10)->Args({300, 10000})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Writer, ts2, conv::OutputKind::Ts2, 0)->Args({300, 10000})->Unit(benchmark::kMillisecond);

}  // namespace

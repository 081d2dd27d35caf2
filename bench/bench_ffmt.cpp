// Costs of the hot fields: F12.3 of floats (every value of every output
// row) and the free-form read of a data line of nine reals.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "bench/urbs_generator.h"
#include "library/ffmt.h"

namespace {

std::vector<float> sample_values() {
  std::mt19937 rng(1);
  std::lognormal_distribution<float> dist(0.0f, 3.0f);
  std::vector<float> v(4096);
  for (auto& x : v) x = dist(rng);
  return v;
}

void BM_PutF_Float_F12_3(benchmark::State& state) {
  const auto values = sample_values();
  std::string row;
  row.reserve(values.size() * 13);
  for (auto _ : state) {
    row.clear();
    for (const float x : values) {
      row.push_back(',');
      ffmt::put_F(row, 12, 3, x);
    }
    benchmark::DoNotOptimize(row.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_PutF_Float_F12_3);

// The same fields written in place, as the row writers do.
void BM_PutF_InPlace_F12_3(benchmark::State& state) {
  const auto values = sample_values();
  std::vector<char> row(values.size() * 13);
  for (auto _ : state) {
    char* p = row.data();
    for (const float x : values) {
      *p++ = ',';
      p = ffmt::put_F(p, 12, 3, x);
    }
    benchmark::DoNotOptimize(row.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_PutF_InPlace_F12_3);

// Flows as the tables hold them: 0 to 5000 with three decimals, one in ten
// zero, one in twenty negative.
std::vector<float> table_values() {
  std::mt19937 rng(2);
  std::uniform_int_distribution<int> thousandths(0, 5000000), pick(0, 19);
  std::vector<float> v(4096);
  for (auto& x : v) {
    const int p = pick(rng);
    x = p < 2 ? 0.0f : static_cast<float>(thousandths(rng)) / 1000.0f;
    if (p == 2) x = -x;
  }
  return v;
}

// A column of F12.3 fields, each after a comma: one put_F per field
// (argument 0), or the whole column in one put_F_column (1).
void BM_PutF_Column_F12_3(benchmark::State& state) {
  const auto values = table_values();
  constexpr std::size_t kStride = 13;
  std::vector<char> col(values.size() * kStride, ',');
  const bool whole = state.range(0) != 0;
  for (auto _ : state) {
    if (whole) {
      ffmt::put_F_column(col.data() + 1, kStride, 12, 3, values.data(), values.size());
    } else {
      for (std::size_t k = 0; k < values.size(); ++k) ffmt::put_F(col.data() + 1 + k * kStride, 12, 3, values[k]);
    }
    benchmark::DoNotOptimize(col.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_PutF_Column_F12_3)->Arg(0)->Arg(1);

// The C library's conversion of the same fields, for comparison.
void BM_Snprintf_Float_F12_3(benchmark::State& state) {
  const auto values = sample_values();
  std::string row;
  row.reserve(values.size() * 13);
  for (auto _ : state) {
    row.clear();
    char buf[64];
    for (const float x : values) {
      const int n = std::snprintf(buf, sizeof buf, ",%12.3f", static_cast<double>(x));
      row.append(buf, static_cast<std::size_t>(n));
    }
    benchmark::DoNotOptimize(row.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(values.size()));
}
BENCHMARK(BM_Snprintf_Float_F12_3);

void BM_ReadLineOfNineReals(benchmark::State& state) {
  const std::string line = "  125.0  0.000 0.000 0.000 0.000  12.345  3.210  0.000 15.555";
  float v[9];
  for (auto _ : state) {
    ffmt::ListReader r(line);
    for (float& x : v) r.read(x);
    benchmark::DoNotOptimize(v);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadLineOfNineReals);

// The data lines of a generated URBS file (bench/urbs_generator.h): the
// time, then 91 flows in F11.3; 256 different lines, so that no one line is
// learnt by the branch predictors.
std::vector<std::string> urbs_lines() {
  const std::string file = bench::urbs_file(91, 256, false);
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < file.size();) {
    const std::size_t eol = file.find('\n', at);
    const std::string line = file.substr(at, eol - at);
    at = eol + 1;
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line[first] >= '0' && line[first] <= '9') lines.push_back(line);
  }
  return lines;
}

// Lines of the same shape with flows of 0 to 5000 (table_values): most
// tokens have eight characters, and the negative ones of four digits before
// the point nine, which are read one by one.
std::vector<std::string> wide_flow_lines() {
  const auto flows = table_values();
  std::vector<std::string> lines(256);
  std::size_t k = 0;
  char buf[32];
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%10.2f", 0.5 * static_cast<double>(i));
    lines[i] = buf;
    for (int j = 0; j < 91; ++j, ++k) {
      std::snprintf(buf, sizeof buf, "%11.3f", static_cast<double>(flows[k % flows.size()]));
      lines[i] += buf;
    }
  }
  return lines;
}

constexpr std::size_t kLineValues = 92;

void read_item_by_item(benchmark::State& state, const std::vector<std::string>& lines) {
  float v[kLineValues];
  for (auto _ : state) {
    for (const auto& line : lines) {
      ffmt::ListReader r(line);
      for (float& x : v) r.read(x);
      benchmark::DoNotOptimize(v);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size() * kLineValues));
}

// Each line in one read of 92 reals.
void read_in_one_call(benchmark::State& state, const std::vector<std::string>& lines) {
  float v[kLineValues];
  for (auto _ : state) {
    for (const auto& line : lines) {
      ffmt::ListReader r(line);
      r.read(v, kLineValues);
      benchmark::DoNotOptimize(v);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size() * kLineValues));
}

void BM_ReadUrbsLines_ItemByItem(benchmark::State& state) { read_item_by_item(state, urbs_lines()); }
BENCHMARK(BM_ReadUrbsLines_ItemByItem);
void BM_ReadUrbsLines_OneCall(benchmark::State& state) { read_in_one_call(state, urbs_lines()); }
BENCHMARK(BM_ReadUrbsLines_OneCall);
void BM_ReadWideFlowLines_ItemByItem(benchmark::State& state) { read_item_by_item(state, wide_flow_lines()); }
BENCHMARK(BM_ReadWideFlowLines_ItemByItem);
void BM_ReadWideFlowLines_OneCall(benchmark::State& state) { read_in_one_call(state, wide_flow_lines()); }
BENCHMARK(BM_ReadWideFlowLines_OneCall);

}  // namespace



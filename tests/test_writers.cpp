// The .csv and .ts2 writers on series tables filled as the readers fill them:
// the time axis is built, the writer writes, and every byte of the file and
// the writer's console lines are compared.  Also the output names.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include "converter/parallel.h"
#include "converter/series.h"
#include "converter/writers/tiles.h"
#include "converter/writers/writer.h"
#include "library/ffmt.h"
#include "test_support.h"

namespace {

using conv::Naming;
using conv::OutputKind;
using testing_support::Console;
using testing_support::first_difference;
using testing_support::read_file;
using testing_support::ScratchDir;
namespace rt = platform::rt;

const std::string B(12, ' ');  // a blank field

struct SeriesSpec {
  std::string name;
  float t0, dt;  // minutes
  std::vector<float> values;
  std::size_t timed = SIZE_MAX;  // .ts2: the values that keep their time
};

struct LayoutCase {
  OutputKind kind;
  std::vector<SeriesSpec> series;
  bool s0, e0;
  std::int32_t ncol;
  std::string file;
  int announced = 1;  // "Writing to ..." lines
};

// Fills a table as a reader does (value times kept for .ts2), builds its axis
// and writes it; returns the file and checks the writer's console lines.
std::string write_case(const LayoutCase& c) {
  ScratchDir dir;
  Console con;
  conv::SeriesTable t;
  t.keep_times = c.kind == OutputKind::Ts2;
  for (const SeriesSpec& spec : c.series) {
    conv::Series& s = t.series.emplace_back();
    s.name = spec.name;
    for (std::size_t j = 0; j < spec.values.size(); ++j) {
      s.tend = spec.t0 + spec.dt * static_cast<float>(j);
      if (j == 0) s.tstart = s.tend;
      t.append(s, s.tend, spec.values[j]);
    }
    if (s.hours.size() > spec.timed) s.hours.resize(spec.timed);
  }
  conv::RunSettings run;
  run.output = c.kind;
  run.zero_start = c.s0;
  run.zero_end = c.e0;
  run.NCOL = c.ncol;
  const conv::TimeAxis axis = conv::build_time_axis(t, run);
  con.clear();
  EXPECT_EQ(rt::open(51, "out", {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace}), 0);
  conv::make_writer(c.kind)->write(run, "in.dat", t, axis, 51, 0);
  EXPECT_EQ(rt::close(51), 0);
  std::string lines;
  const std::string ext = c.kind == OutputKind::Csv ? ".csv" : ".ts2";
  for (int b = 0; b < c.announced; ++b) lines += "\nWriting to " + ext + " file...\n";
  EXPECT_EQ(con.text(), lines);
  return read_file("out");
}

const std::vector<SeriesSpec> kAB = {{"A", 0, 30, {1.5f, 2.25f, 3}}, {"B", 0, 30, {10, 20, 30.125f}}};
const std::string kABFile =
    "Time (hr)   ,A,B\n"
    "      0.0000,       1.500,      10.000\n"
    "      0.5000,       2.250,      20.000\n"
    "      1.0000,       3.000,      30.125\n";

TEST(Writers, Layouts) {
  const OutputKind csv = OutputKind::Csv, ts2 = OutputKind::Ts2;
  const LayoutCase cases[] = {
      // Without a column count, or with one of 0 or less, or one that
      // holds every series: one block.
      {csv, kAB, false, false, 0, kABFile},
      {csv, kAB, false, false, -3, kABFile},
      {csv, kAB, false, false, 2, kABFile},
      {csv,
       {{"S1", 60, 30, {1, .5f}}, {"S2", 60, 30, {2, .5f}}, {"S3", 60, 30, {3, .5f}}},
       false, false, 2,
       "Time (hr)   ,S1,S2\n      1.0000,       1.000,       2.000\n      1.5000,       0.500,       0.500\n"
       "\n"
       "Time (hr)   ,S3\n      1.0000,       3.000\n      1.5000,       0.500\n",
       2},
      // A late series shows its own steps from its first row on; a series
      // without values stays blank, zero rows included.
      {csv, {{"A", 0, 5, {1, 2, 3}}, {"Late", 5, 5, {7}}, {"None", 0, 5, {}}}, true, true, 0,
       "Time (hr)   ,A,Late,None\n"
       "     -0.0833,       0.000,            ,            \n"
       "      0.0000,       1.000,       0.000,            \n"
       "      0.0833,       2.000,       7.000,            \n"
       "      0.1667,       3.000,       0.000,            \n"
       "      0.2500,       0.000,            ,            \n"},
      // Hours in single precision (2048.1 is 2048.10009765625); values too
      // wide for 12 characters.
      {csv, {{"A", 122886, 3, {1e8f, -1e7f, -1234567.5f, -0.0001f}}}, false, false, 0,
       "Time (hr)   ,A\n   2048.1001,************\n   2048.1499,************\n"
       "   2048.2000,-1234567.500\n   2048.2500,      -0.000\n"},
      // No series: one block of the label and time-only rows.
      {csv, {}, false, false, 0, "Time (hr)   \n"},
      {csv, {}, true, true, 3, "Time (hr)   \n      0.0000\n      0.0000\n"},
      // Each series for its own values, blank fields after them.
      {ts2, {{"A", 60, 30, {1, 2, 3}}, {"B", 60, 15, {4, 5, 6, 7, 8.5f}}}, false, false, 0,
       "\"Time_A\",\"A\",\"Time_B\",\"B\"\n"
       "      1.0000,       1.000,      1.0000,       4.000\n"
       "      1.5000,       2.000,      1.2500,       5.000\n"
       "      2.0000,       3.000,      1.5000,       6.000\n"
       "            ,            ,      1.7500,       7.000\n"
       "            ,            ,      2.0000,       8.500\n"},
      // Zero steps one axis increment (5 minutes) before and after a
      // series' own times; every value of a series longer than the axis
      // moves; a series without values gets no zero steps.
      {ts2, {{"A", 10, 5, {1, 2, 3}}, {"Fine", 10, 2.5f, {10, 11, 12, 13, 14}}, {"None", 0, 1, {}}}, true, true, 0,
       "\"Time_A\",\"A\",\"Time_Fine\",\"Fine\",\"Time_None\",\"None\"\n"
       "      0.0833,       0.000,      0.0833,       0.000,            ,            \n"
       "      0.1667,       1.000,      0.1667,      10.000,            ,            \n"
       "      0.2500,       2.000,      0.2083,      11.000,            ,            \n"
       "      0.3333,       3.000,      0.2500,      12.000,            ,            \n"
       "      0.4167,       0.000,      0.2917,      13.000,            ,            \n"
       "            ,            ,      0.3333,      14.000,            ,            \n"
       "            ,            ,      0.4167,       0.000,            ,            \n"},
      // No series: an empty heading and no rows.
      {ts2, {}, true, true, 0, "\n"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(write_case(cases[i]), cases[i].file) << "case " << i;
}

// Tables of more rows than one tile holds: the rows at the tiles' seams, and
// series that start and end inside later tiles, come out as every other row.
TEST(Writers, RowsAcrossManyTiles) {
  // Eleven tiles of .csv rows of two series: enough to be formatted on every
  // thread and written in order.
  constexpr std::size_t kRows = 300000;
  LayoutCase c{OutputKind::Csv, {{"A", 0, 5, {}}, {"B", 5 * 40000, 5, {}}}, false, false, 0, ""};
  for (std::size_t j = 0; j < kRows; ++j) c.series[0].values.push_back(static_cast<float>(j % 977) * 0.125f - 3);
  for (std::size_t j = 0; j < 20000; ++j) c.series[1].values.push_back(static_cast<float>(j) * 1.5f);
  std::string want = "Time (hr)   ,A,B\n";
  for (std::size_t k = 0; k < kRows; ++k) {
    want += ffmt::F(12, 4, static_cast<float>(k) * 5.0f / 60.0f) + ',' + ffmt::F(12, 3, c.series[0].values[k]) + ',';
    want += k >= 40000 && k < 60000 ? ffmt::F(12, 3, c.series[1].values[k - 40000]) : B;
    want += '\n';
  }
  EXPECT_EQ(first_difference(write_case(c), want), "");

  LayoutCase t{OutputKind::Ts2, {{"A", 0, 6, {}}, {"B", 0, 6, {}}}, false, false, 0, ""};
  for (std::size_t j = 0; j < 60000; ++j) t.series[0].values.push_back(static_cast<float>(j) * 0.5f);
  for (std::size_t j = 0; j < 45000; ++j) t.series[1].values.push_back(-static_cast<float>(j));
  std::string want2 = "\"Time_A\",\"A\",\"Time_B\",\"B\"\n";
  for (std::size_t k = 0; k < 60000; ++k) {
    const std::string time = ffmt::F(12, 4, static_cast<float>(k) * 6.0f / 60.0f);
    want2 += time + ',' + ffmt::F(12, 3, t.series[0].values[k]) + ',';
    want2 += k < 45000 ? time + ',' + ffmt::F(12, 3, t.series[1].values[k]) : B + ',' + B;
    want2 += '\n';
  }
  EXPECT_EQ(first_difference(write_case(t), want2), "");
}

// Values of every width, with signs, and some too wide for their field.
float awkward_value(int series, int step) {
  const int k = (step * 7919 + series * 104729) % 20011;
  return k % 97 == 0 ? -1.5e9f : static_cast<float>(k - 10000) * (k % 3 == 0 ? 0.001f : 12.75f);
}

TEST(Writers, ManySeriesStartingAndEndingApart) {
  // Nineteen series, each starting and ending on rows of its own, some of
  // them in the middle of a tile, some with no value in a tile at all.
  constexpr int kSeries = 19, kRows = 30000;
  LayoutCase c{OutputKind::Csv, {}, false, false, 0, ""};
  std::vector<int> start(kSeries);
  for (int i = 0; i < kSeries; ++i) {
    start[i] = i == 17 ? 12000 : i == 7 ? 4400 : (i * 977) % 4000;
    const int count = i == 17 ? 100 : kRows - start[i] - (i == 15 ? 9000 : (i * 1531) % 5000);
    auto& spec = c.series.emplace_back(SeriesSpec{std::to_string(i), 5.0f * static_cast<float>(start[i]), 5, {}});
    for (int j = 0; j < count; ++j) spec.values.push_back(awkward_value(i, j));
  }
  std::string want = "Time (hr)   ";
  for (const auto& spec : c.series) want += "," + spec.name;
  want += '\n';
  for (int k = 0; k < kRows; ++k) {
    want += ffmt::F(12, 4, static_cast<float>(k) * 5.0f / 60.0f);
    for (int i = 0; i < kSeries; ++i) {
      const int step = k - start[i];
      const auto& v = c.series[i].values;
      want += ',';
      want += step >= 0 && step < static_cast<int>(v.size()) ? ffmt::F(12, 3, v[step]) : B;
    }
    want += '\n';
  }
  EXPECT_EQ(first_difference(write_case(c), want), "");
}

TEST(Writers, Ts2OfManySeriesOfOwnLengths) {
  // Nineteen series of lengths of their own, one without values and one
  // whose last values have no time, over several tiles.
  constexpr int kSeries = 19;
  LayoutCase c{OutputKind::Ts2, {}, false, false, 0, ""};
  std::size_t rows = 0;
  for (int i = 0; i < kSeries; ++i) {
    auto& spec = c.series.emplace_back(SeriesSpec{std::to_string(i), 2.5f * static_cast<float>(i), 5, {}});
    const int count = i == 4 ? 0 : 6000 - (i * 2399) % 3000;
    for (int j = 0; j < count; ++j) spec.values.push_back(awkward_value(i, j));
    if (i == 11) spec.timed = 2500;
    rows = std::max(rows, spec.values.size());
  }
  std::string want;
  for (const auto& spec : c.series) {
    if (!want.empty()) want += ',';
    want.append("\"Time_").append(spec.name).append("\",\"").append(spec.name).append("\"");
  }
  want += '\n';
  for (std::size_t k = 0; k < rows; ++k) {
    for (const auto& spec : c.series) {
      if (&spec != &c.series.front()) want += ',';
      const bool shown = k < spec.values.size();
      const float hours = (spec.t0 + spec.dt * static_cast<float>(k)) / 60.0f;
      want += shown && k < spec.timed ? ffmt::F(12, 4, hours) : B;
      want += ',';
      want += shown ? ffmt::F(12, 3, spec.values[k]) : B;
    }
    want += '\n';
  }
  EXPECT_EQ(first_difference(write_case(c), want), "");
}

// On a full disk the rows stop being formatted at the first failed write;
// the close reports the failure.
TEST(Writers, FormattingStopsOnceTheOutputHasFailed) {
  ScratchDir dir;
  ASSERT_EQ(rt::open(40, "/dev/full", {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Unknown}), 0);
  std::atomic<std::size_t> tiles{0};
  conv::tiles::write_tiled(40, 1000000, 60, [&](char* tile, std::size_t stride, std::size_t, std::size_t n) {
    ++tiles;
    for (std::size_t r = 0; r < n; ++r) std::memset(tile + r * stride, 'x', stride - 1);
  });
  // Of about sixty large ones (or about 240 of the smaller tiles formatted on
  // several threads): the first, and the few formatted ahead of it before its
  // write failed (the six the writer holds at most).
  EXPECT_LE(tiles.load(), 7u);
  EXPECT_NE(rt::write_status(40), 0);
  // A later block of the same file formats nothing at all.
  const std::size_t before = tiles.load();
  conv::tiles::write_tiled(40, 1000000, 60, [&](char*, std::size_t, std::size_t, std::size_t) { ++tiles; });
  EXPECT_EQ(tiles.load(), before);
  EXPECT_GT(rt::close(40), 0);
}

// Tiles to be formatted on several threads, asked for by work that is itself
// shared out: the writing thread formats them all, in order.
TEST(Writers, SharedTilesWithinSharedWork) {
  ScratchDir dir;
  ASSERT_EQ(rt::open(41, "tiles.txt", {rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace}), 0);
  conv::parallel::for_each(2, {conv::parallel::Kind::numbers, SIZE_MAX}, [&](std::size_t i) {
    if (i == 0)
      conv::tiles::write_tiles(41, 50, 8, 4, [](char* tile, std::size_t t) {
        return static_cast<std::size_t>(std::snprintf(tile, 8, "%05zu\n", t));
      });
  });
  ASSERT_EQ(rt::close(41), 0);
  std::string want;
  for (int t = 0; t < 50; ++t) want += std::string(t < 10 ? "0000" : "000") + std::to_string(t) + "\n";
  EXPECT_EQ(read_file("tiles.txt"), want);
}

TEST(Writers, OutputNamesAndTheTs2Refusal) {
  struct Case {
    OutputKind kind;
    Naming naming;
    std::string match, event, first, second;
  };
  const Case cases[] = {
      {OutputKind::Csv, Naming::Single, "flows", "", "flows.csv", ""},
      {OutputKind::Csv, Naming::WbnmPair, "Q100_Meta.out", "", "Q100_Meta.out_tot.csv", "Q100_Meta.out_loc.csv"},
      {OutputKind::Csv, Naming::WbnmDurations, "Q100_Meta.out", "60", "Q100_Meta_60min_tot.csv",
       "Q100_Meta_60min_loc.csv"},
      {OutputKind::Csv, Naming::Storms, "Q100.TOT", "E1", "Q100_E1.tot.csv", ""},
      {OutputKind::Ts2, Naming::Single, "Q100.tot", "", "Q100.tot.ts2", ""},
  };
  for (const Case& c : cases) {
    const auto out = conv::make_writer(c.kind)->outputs(c.naming, conv::NameParts(c.match), c.event);
    const std::string label = c.kind == OutputKind::Csv ? "   CSV Output File: " : "   TS2 Output File: ";
    EXPECT_EQ(out.first.name + "|" + out.first.label, c.first + "|" + label);
    EXPECT_EQ(out.second.name + "|" + out.second.label, c.second + "|" + (c.second.empty() ? "" : label));
  }
  const auto ts2 = conv::make_writer(OutputKind::Ts2);
  EXPECT_EQ(ts2->refusal(Naming::Single), "");
  for (Naming n : {Naming::WbnmPair, Naming::WbnmDurations, Naming::Storms})
    EXPECT_EQ(ts2->refusal(n), "   TS2 Output Format not supported for WBNM format or multiple event switch.");
}

}  // namespace

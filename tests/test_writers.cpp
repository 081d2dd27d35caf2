// The .csv and .ts2 writers on series tables built as the readers fill them:
// the time axis is built, the writer writes, and every byte of the files and
// of the writer's console lines is compared.  Also the output names of every
// format.
#include <gtest/gtest.h>

#include <initializer_list>

#include "converter/peaks.h"
#include "converter/series.h"
#include "converter/writers/writer.h"
#include "library/unitmgr.h"
#include "library/unittables.h"
#include "test_support.h"

namespace {

using conv::Naming;
using conv::OutputKind;
using conv::Series;
using conv::SeriesTable;
using testing_support::Console;
using testing_support::read_file;
using testing_support::ScratchDir;
namespace rt = platform::rt;

// A series of values from t0 on, dt minutes apart, stored as a reader does.
Series series(SeriesTable& t, const std::string& name, float t0, float dt, std::initializer_list<float> values) {
  Series s;
  s.name = name;
  float time = t0;
  for (float v : values) {
    if (s.q.empty()) s.tstart = time;
    s.tend = time;
    t.append(s, time, v);
    time += dt;
  }
  return s;
}

struct Options {
  bool s0 = false, e0 = false;
  std::int32_t ncol = 0;
};

struct Written {
  std::string console;  // the writer's lines only
  std::string a, b;     // the first and (WBNM) second file
};

// Builds the axis of the table and writes it in the given format.
Written write_table(OutputKind kind, SeriesTable table, Options o = {}) {
  ScratchDir dir;
  Console con;
  conv::RunSettings run;
  run.output = kind;
  run.hours = kind == OutputKind::Csv;
  run.zero_start = o.s0;
  run.zero_end = o.e0;
  run.NCOL = o.ncol;
  const auto writer = conv::make_writer(kind);
  const conv::TimeAxis axis = conv::build_time_axis(table, run);
  con.clear();
  const rt::OpenOptions out{rt::Form::Formatted, rt::Action::Write, rt::Disposition::Replace};
  EXPECT_EQ(rt::open(51, "a", out), 0);
  if (table.has_local) {
    EXPECT_EQ(rt::open(52, "b", out), 0);
  }
  writer->write(run, "in.dat", table, axis, 51, table.has_local ? 52 : 0);
  EXPECT_EQ(rt::close(51), 0);
  EXPECT_EQ(rt::close(52), 0);
  return {con.text(), read_file("a"), table.has_local ? read_file("b") : ""};
}

const std::string kWritingCsv = "\nWriting to .csv file...\n";
const std::string kWritingTs2 = "\nWriting to .ts2 file...\n";

// ---- .csv -----------------------------------------------------------------

SeriesTable two_series_30_minutes() {
  SeriesTable t;
  t.series.push_back(series(t, "A", 0.0f, 30.0f, {1.5f, 2.25f, 3.0f}));
  t.series.push_back(series(t, "B", 0.0f, 30.0f, {10.0f, 20.0f, 30.125f}));
  return t;
}

TEST(CsvWriter, OneBlockWithTimesInHours) {
  const Written w = write_table(OutputKind::Csv, two_series_30_minutes());
  EXPECT_EQ(w.console, kWritingCsv);
  EXPECT_EQ(w.a,
            "Time (hr)   ,A,B\n"
            "      0.0000,       1.500,      10.000\n"
            "      0.5000,       2.250,      20.000\n"
            "      1.0000,       3.000,      30.125\n");
}

TEST(CsvWriter, HoursAreComputedInSinglePrecision) {
  // 122886 / 60 = 2048.1 is 2048.10009765625 in binary32 (2048.1000 in double).
  SeriesTable t;
  t.series.push_back(series(t, "A", 122886.0f, 3.0f, {1, 2}));
  EXPECT_EQ(write_table(OutputKind::Csv, t).a,
            "Time (hr)   ,A\n"
            "   2048.1001,       1.000\n"
            "   2048.1499,       2.000\n");
}

TEST(CsvWriter, ColumnCountsOfZeroOrLessGiveOneBlock) {
  const std::string one_block = write_table(OutputKind::Csv, two_series_30_minutes()).a;
  for (std::int32_t ncol : {0, -1, -7, 2, 5}) {
    const Written w = write_table(OutputKind::Csv, two_series_30_minutes(), {.ncol = ncol});
    EXPECT_EQ(w.a, one_block) << ncol;
    EXPECT_EQ(w.console, kWritingCsv) << ncol;
  }
}

TEST(CsvWriter, ColumnCountCutsTheSeriesIntoBlocks) {
  SeriesTable t;
  for (const char* name : {"S1", "S2", "S3", "S4", "S5"})
    t.series.push_back(series(t, name, 60.0f, 30.0f, {static_cast<float>(name[1] - '0'), 0.5f}));
  const Written w = write_table(OutputKind::Csv, t, {.ncol = 2});
  EXPECT_EQ(w.console, kWritingCsv + kWritingCsv + kWritingCsv);
  EXPECT_EQ(w.a,
            "Time (hr)   ,S1,S2\n"
            "      1.0000,       1.000,       2.000\n"
            "      1.5000,       0.500,       0.500\n"
            "\n"
            "Time (hr)   ,S3,S4\n"
            "      1.0000,       3.000,       4.000\n"
            "      1.5000,       0.500,       0.500\n"
            "\n"
            "Time (hr)   ,S5\n"
            "      1.0000,       5.000\n"
            "      1.5000,       0.500\n");
}

TEST(CsvWriter, ALateSeriesShowsItsOwnStepsAndBlanksOutsideThem) {
  SeriesTable t;
  t.series.push_back(series(t, "A", 0.0f, 5.0f, {1, 2, 3, 4, 5}));
  t.series.push_back(series(t, "Late", 10.0f, 5.0f, {70, 80}));
  const Written w = write_table(OutputKind::Csv, t);
  EXPECT_EQ(w.a,
            "Time (hr)   ,A,Late\n"
            "      0.0000,       1.000,            \n"
            "      0.0833,       2.000,            \n"
            "      0.1667,       3.000,      70.000\n"
            "      0.2500,       4.000,      80.000\n"
            "      0.3333,       5.000,            \n");
}

TEST(CsvWriter, ZeroRowsAtBothEnds) {
  SeriesTable t;
  t.series.push_back(series(t, "A", 0.0f, 5.0f, {1, 2}));
  t.series.push_back(series(t, "Empty", 0.0f, 5.0f, {}));
  const Written w = write_table(OutputKind::Csv, t, {.s0 = true, .e0 = true});
  EXPECT_EQ(w.a,
            "Time (hr)   ,A,Empty\n"
            "     -0.0833,       0.000,            \n"
            "      0.0000,       1.000,            \n"
            "      0.0833,       2.000,            \n"
            "      0.1667,       0.000,            \n");
}

TEST(CsvWriter, AnEventWithoutSeriesGivesTheLabelAndTimeOnlyRows) {
  struct Case {
    Options options;
    std::string file;
  };
  const Case cases[] = {
      {{}, "Time (hr)   \n"},
      {{.ncol = 3}, "Time (hr)   \n"},
      {{.s0 = true}, "Time (hr)   \n      0.0000\n"},
      {{.s0 = true, .e0 = true, .ncol = -2}, "Time (hr)   \n      0.0000\n      0.0000\n"},
  };
  for (const Case& c : cases) {
    const Written w = write_table(OutputKind::Csv, SeriesTable{}, c.options);
    EXPECT_EQ(w.a, c.file);
    EXPECT_EQ(w.console, kWritingCsv);
  }
}

TEST(CsvWriter, TheLocalValuesGoToTheSecondFileInTheSameBlocks) {
  SeriesTable t;
  t.has_local = true;
  Series a = series(t, "A", 0.0f, 5.0f, {1, 2});
  a.qloc = {0.5f, 0.75f};
  Series b = series(t, "B", 5.0f, 5.0f, {3});
  b.qloc = {0.25f};
  t.series = {a, b};
  const Written w = write_table(OutputKind::Csv, t, {.e0 = true, .ncol = 1});
  EXPECT_EQ(w.console, kWritingCsv + kWritingCsv);
  EXPECT_EQ(w.a,
            "Time (hr)   ,A\n"
            "      0.0000,       1.000\n"
            "      0.0833,       2.000\n"
            "      0.1667,       0.000\n"
            "\n"
            "Time (hr)   ,B\n"
            "      0.0000,            \n"
            "      0.0833,       3.000\n"
            "      0.1667,       0.000\n");
  EXPECT_EQ(w.b,
            "Time (hr)   ,A\n"
            "      0.0000,       0.500\n"
            "      0.0833,       0.750\n"
            "      0.1667,       0.000\n"
            "\n"
            "Time (hr)   ,B\n"
            "      0.0000,            \n"
            "      0.0833,       0.250\n"
            "      0.1667,       0.000\n");
}

TEST(CsvWriter, ValuesTooWideForTheirFieldAreAsterisks) {
  SeriesTable t;
  t.series.push_back(series(t, "A", 0.0f, 6000.0f, {1e8f, -1e7f, 12345678.0f, -1234567.5f, -0.0001f}));
  EXPECT_EQ(write_table(OutputKind::Csv, t).a,
            "Time (hr)   ,A\n"
            "      0.0000,************\n"
            "    100.0000,************\n"
            "    200.0000,12345678.000\n"
            "    300.0000,-1234567.500\n"
            "    400.0000,      -0.000\n");
}

// ---- .ts2 -----------------------------------------------------------------

SeriesTable ts2_table() {
  SeriesTable t;
  t.keep_times = true;
  return t;
}

TEST(Ts2Writer, EachSeriesRunsForItsOwnValues) {
  SeriesTable t = ts2_table();
  t.series.push_back(series(t, "A", 60.0f, 30.0f, {1, 2, 3}));
  t.series.push_back(series(t, "B", 60.0f, 15.0f, {4, 5, 6, 7, 8.5f}));
  const Written w = write_table(OutputKind::Ts2, t);
  EXPECT_EQ(w.console, kWritingTs2);
  EXPECT_EQ(w.a,
            "\"Time_A\",\"A\",\"Time_B\",\"B\"\n"
            "      1.0000,       1.000,      1.0000,       4.000\n"
            "      1.5000,       2.000,      1.2500,       5.000\n"
            "      2.0000,       3.000,      1.5000,       6.000\n"
            "            ,            ,      1.7500,       7.000\n"
            "            ,            ,      2.0000,       8.500\n");
}

TEST(Ts2Writer, ASingleSeriesHasOnePairOfHeadings) {
  SeriesTable t = ts2_table();
  t.series.push_back(series(t, "Outlet 1", 0.0f, 1.0f, {0.5f, 0.25f}));
  EXPECT_EQ(write_table(OutputKind::Ts2, t).a,
            "\"Time_Outlet 1\",\"Outlet 1\"\n"
            "      0.0000,       0.500\n"
            "      0.0167,       0.250\n");
}

TEST(Ts2Writer, AnEventWithoutSeriesGivesAnEmptyHeadingAndNoRows) {
  for (const Options o : {Options{}, Options{.s0 = true, .e0 = true}}) {
    const Written w = write_table(OutputKind::Ts2, ts2_table(), o);
    EXPECT_EQ(w.console, kWritingTs2);
    EXPECT_EQ(w.a, "\n");
  }
}

TEST(Ts2Writer, ZeroStepsGetTheirOwnTimes) {
  SeriesTable t = ts2_table();
  t.series.push_back(series(t, "A", 10.0f, 5.0f, {1, 2, 3}));
  t.series.push_back(series(t, "None", 0.0f, 5.0f, {}));
  EXPECT_EQ(write_table(OutputKind::Ts2, t, {.s0 = true, .e0 = true}).a,
            "\"Time_A\",\"A\",\"Time_None\",\"None\"\n"
            "      0.0833,       0.000,            ,            \n"
            "      0.1667,       1.000,            ,            \n"
            "      0.2500,       2.000,            ,            \n"
            "      0.3333,       3.000,            ,            \n"
            "      0.4167,       0.000,            ,            \n");
}

TEST(Ts2Writer, ZeroAtStartMovesEveryValueOfASeriesLongerThanTheAxis) {
  SeriesTable t = ts2_table();
  t.series.push_back(series(t, "A", 0.0f, 5.0f, {1, 2, 3}));              // three rows on the axis
  t.series.push_back(series(t, "Fine", 0.0f, 2.5f, {10, 11, 12, 13, 14}));  // five values
  EXPECT_EQ(write_table(OutputKind::Ts2, t, {.s0 = true}).a,
            "\"Time_A\",\"A\",\"Time_Fine\",\"Fine\"\n"
            "     -0.0833,       0.000,     -0.0833,       0.000\n"
            "      0.0000,       1.000,      0.0000,      10.000\n"
            "      0.0833,       2.000,      0.0417,      11.000\n"
            "      0.1667,       3.000,      0.0833,      12.000\n"
            "            ,            ,      0.1250,      13.000\n"
            "            ,            ,      0.1667,      14.000\n");
}

TEST(Ts2Writer, TimesKeptAsReadArePrintedAsTheyStand) {
  // Times that a reader kept in hours as it read them, not from minutes.
  SeriesTable t = ts2_table();
  Series s = series(t, "Raw", 366.0f, 6.0f, {1, 2});
  s.hours = {6.1f, 6.2f};
  t.series.push_back(s);
  EXPECT_EQ(write_table(OutputKind::Ts2, t, {.e0 = true}).a,
            "\"Time_Raw\",\"Raw\"\n"
            "      6.1000,       1.000\n"
            "      6.2000,       2.000\n"
            "      6.3000,       0.000\n");
}

// ---- the multi-event peak table's time label --------------------------------

TEST(EventPeakTable, HoursLabelOnlyForCsvOutput) {
  struct Case {
    OutputKind kind;
    bool hours;
    std::string first_record;
  };
  const Case cases[] = {
      {OutputKind::Csv, true, "Time (hr)   ,60,120\n"},
      {OutputKind::Ts1, true, "Time (min)  ,60,120\n"},  // -thour alone
      {OutputKind::Ts1, false, "Time (min)  ,60,120\n"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    Console con;
    lib::INITUNITS(1000);
    conv::RunSettings run;
    run.output = c.kind;
    run.hours = c.hours;
    conv::PeakStore peaks;
    peaks.start_file(2);
    const float v[] = {1.5f};
    peaks.aggregate("N1", v, 1, 1, " WBNM maximum/minimum records allowed.");
    std::int32_t unit = 0;
    conv::write_event_peak_table("Q.out", peaks, {"60", "120"}, run, unit);
    EXPECT_EQ(read_file("Q_peak_Q.out.csv"), c.first_record + "\"N1\",      -99999.000,           1.500\n");
  }
}

// ---- output names ---------------------------------------------------------

TEST(OutputNames, EveryFormatAndNaming) {
  struct Case {
    OutputKind kind;
    Naming naming;
    std::string match, event;
    conv::EventOutputs expected;
  };
  const std::string csv = "   CSV Output File: ";
  const Case cases[] = {
      {OutputKind::Csv, Naming::Single, "Q100.tot", "", {{"Q100.tot.csv", csv}, {}}},
      {OutputKind::Csv, Naming::WbnmPair, "Q100_Meta.out", "",
       {{"Q100_Meta.out_tot.csv", csv}, {"Q100_Meta.out_loc.csv", csv}}},
      {OutputKind::Csv, Naming::WbnmDurations, "Q100_Meta.out", "60",
       {{"Q100_Meta_60min_tot.csv", csv}, {"Q100_Meta_60min_loc.csv", csv}}},
      {OutputKind::Csv, Naming::Storms, "Q100.TOT", "E1", {{"Q100_E1.tot.csv", csv}, {}}},
      {OutputKind::Csv, Naming::Single, "flows", "", {{"flows.csv", csv}, {}}},
      {OutputKind::Ts2, Naming::Single, "Q100.tot", "", {{"Q100.tot.ts2", "   TS2 Output File: "}, {}}},
      {OutputKind::Ts1, Naming::Single, "Q100.tot", "", {{"Q100.tot.ts1", "   TS1 Output File: "}, {}}},
      {OutputKind::Ts1, Naming::WbnmPair, "Q100_Meta.out", "",
       {{"Q100_Meta_tot.ts1", "   TS1 Total Hydrographs Output File: "},
        {"Q100_Meta_loc.ts1", "   TS1 Local Hydrographs Output File: "}}},
      {OutputKind::Ts1, Naming::Storms, "Q100.tot", "E2",
       {{"Q100_E2.tot.ts1", "   TS1 Total Hydrographs Output File Based On: "}, {}}},
  };
  for (const Case& c : cases) {
    const auto out = conv::make_writer(c.kind)->outputs(c.naming, conv::NameParts(c.match), c.event);
    EXPECT_EQ(out.first.name, c.expected.first.name);
    EXPECT_EQ(out.first.label, c.expected.first.label);
    EXPECT_EQ(out.second.name, c.expected.second.name);
    EXPECT_EQ(out.second.label, c.expected.second.label);
  }
}

TEST(OutputNames, Ts2RefusesWbnmAndMultiEventInputOnly) {
  const std::string refusal = "   TS2 Output Format not supported for WBNM format or multiple event switch.";
  const auto ts2 = conv::make_writer(OutputKind::Ts2);
  EXPECT_EQ(ts2->refusal(Naming::Single), "");
  for (Naming n : {Naming::WbnmPair, Naming::WbnmDurations, Naming::Storms}) {
    EXPECT_EQ(ts2->refusal(n), refusal);
    EXPECT_EQ(conv::make_writer(OutputKind::Csv)->refusal(n), "");
  }
  EXPECT_TRUE(ts2->needs_value_times());
  EXPECT_FALSE(conv::make_writer(OutputKind::Csv)->needs_value_times());
}

}  // namespace

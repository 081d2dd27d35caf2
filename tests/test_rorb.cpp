// RORB result files: the step snapping, whole conversions (transcript and
// files byte for byte), and the model's own files value by value.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "converter/readers/rorb.h"
#include "library/ffmt.h"
#include "transcript_support.h"

namespace {

using namespace transcript;
using namespace testing_support;

std::string warning(const std::string& measured, const std::string& snapped) {
  return "WARNING: Timestep in output calculated as " + measured + " minutes and has been changed to " + snapped +
         " minutes. If this is not correct please use -dt flag or contact flowtab@example.org\n";
}

const std::string kSummary = " RORB test output\n Hydrograph summary\n \n", kZero = "        0.00";

TEST(RorbStep, SnapTableInSinglePrecision) {
  const std::pair<float, float> cases[] = {
      {1.6f, 2.0f},   {1.599f, 1.599f}, {2.6f, 2.5f},   {2.2f, 2.2f},   {10.4f, 10.0f}, {2.0f, 2.0f},
      {1.998f, 2.0f}, {3.0f, 3.0f},     {4.98f, 5.0f},  {19.9f, 20.0f}, {25.3f, 25.0f}, {34.7f, 35.0f},
      {40.0f, 40.0f}, {49.9f, 50.0f},   {55.2f, 55.0f}, {55.4f, 55.4f}, {30.0f, 30.0f},
  };
  for (const auto& [measured, step] : cases) EXPECT_EQ(conv::rorb::snap_step(measured), step) << measured;
}

// Small summaries: the step measured between the first two rows, snapped or
// kept (with its warning), or given with -dt (no second row needed); and rows
// and names as the whole .ts1 from its heading on shows them.
TEST(RorbConversion, StepsRowsAndNames) {
  const auto rows = [](const std::string& hours) {  // a second row at `hours`, none when empty
    return " Inc   Time     Hyd001\n 1 0 1\n" + (hours.empty() ? "" : " 2 " + hours + " 2\n");
  };
  const struct {
    std::string option, body, warning, dt, ts1 = {};
  } cases[] = {
      {"", rows("0.03"), warning("1.8000", "2.0000"), "    2.0000"},
      {"", rows("0.0333"), warning("1.9980", "2.0000"), "    2.0000"},
      {"", rows("0.17"), warning("******", "******"), "   10.0000"},  // 10.2 and 10.0 do not fit six columns
      {"", rows("0.05"), "", "    3.0000"},
      {"", rows("0.5"), "", "   30.0000"},
      {"-dt5", rows("0.03"), "", "    5.0000"},
      {"-dt5", rows(""), "", "    5.0000"},
      // TABs separate numbers; a row that starts with a TAB is no row.
      {"", " Inc   Time Hyd001    Hyd002\n1\t0\t1\t2\n2\t0.5\t3\t4\n\t3\t1.0\t5\t6\n", "", "   30.0000",
       "Time (min)  ,Hyd001,Hyd002\n        0.00,       1.000,       2.000\n       30.00,       3.000,       4.000\n"},
      // Names are fields of ten columns after the first twelve.
      {"", " Inc   Time Hyd001_LongName\n 1 0 1 2 3\n 2 1 2 3 4\n", "", "   60.0000",
       "Time (min)  ,Hyd001_Lon,gName,\n        0.00,       1.000,       2.000,       3.000\n"
       "       60.00,       2.000,       3.000,       4.000\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file("s.out", kSummary + c.body);
    std::vector<std::string> args{"-rorb", "-b", "s.out"};
    if (!c.option.empty()) args.insert(args.begin() + 1, c.option);
    const RunResult r = flowtab(args);
    EXPECT_EQ(r.status, 0) << r.output;
    const std::size_t w = r.output.find("WARNING");
    EXPECT_EQ(w == std::string::npos ? "" : r.output.substr(w, r.output.find('\n', w) + 1 - w), c.warning) << c.body;
    EXPECT_NE(r.output.find("\nTime increment:" + c.dt + "\n"), std::string::npos) << r.output;
    const std::string ts1 = read_file("s.out.ts1");
    EXPECT_EQ(c.ts1.empty() ? "" : ts1.substr(ts1.find("Time (min)")), c.ts1);
  }
}

// Blocks of different lengths and steps: a failed first candidate, a header
// directly under the rows before it, a "Hyd" line that heads no block, and a
// last row at the end of the file.  The longest block keeps its rows; each
// series ends at its own last row.
TEST(RorbConversion, BlocksOfDifferentLengths) {
  ScratchDir dir;
  expect_ts1_run("-rorb", "b.out",
                 kSummary + " Site Hyd0001 is the outlet\n Description\n Inc   Time     Hyd001    Hyd002\n"
                            "   1   0.000     0.000     1.000\n   2   0.083     2.500     3.000\n"
                            "   3   0.167     1.250     2.000\n Inc   Time     Hyd003\n   1   0.000     5.000\n"
                            "   2   0.0833    6.000\n   3   0.1667    7.000\n   4   0.25      8.000\n"
                            " \n Hydrographs at outlet\n   1   2\n"
                            " Inc   Time     Hyd004\n   1   0.000     4.000\n   2   0.083     3.000",
                 "...Reading RORB Hydrographs Hyd001 to Hyd002\n...Reading RORB Hydrographs Hyd003 to Hyd003\n"
                 "...Reading RORB Hydrographs Hyd004 to Hyd004\n...Finished Extracting Data\n" +
                     warning("4.9800", "5.0000") + axis(kZero, "       15.00", "    5.0000", "     4"),
                 ts1_file("b.out", "Hyd001,Hyd002,Hyd003,Hyd004", 4, {3, 3, 4, 2},
                          "        0.00,       0.000,       1.000,       5.000,       4.000\n"
                          "        5.00,       2.500,       3.000,       6.000,       3.000\n"
                          "       10.00,       1.250,       2.000,       7.000,            \n"
                          "       15.00,            ,            ,       8.000,            \n"),
                 "b_peak_Q.out.csv",
                 "\"ID\",\"Q Peak\"\n\"Hyd001\",           2.500\n\"Hyd002\",           3.000\n"
                 "\"Hyd003\",           8.000\n\"Hyd004\",           4.000\n");
}

TEST(RorbConversion, FilesWithoutABlockGiveNoSeries) {
  const std::string files[] = {
      " no summary here\n Inc   Time     Hyd001\n 1 0 1\n 2 1 2\n",
      kSummary + " Inc   Time     Hyd002\n 1 0 1\n 2 1 2\n",  // the first block needs Hyd001 or Hyd0001
      kSummary + " Hyd001\n text\n Hyd0001\n 1 0\n Hyd001",   // rows too narrow; a candidate at the end
  };
  for (const std::string& f : files) {
    ScratchDir dir;
    expect_ts1_run("-rorb", "n.out", f, axis(kZero, kZero, "    0.0000", "     0"), ts1_file("n.out", "", 0, {}, ""),
                   "n_peak_Q.out.csv", "\"ID\",\"Q Peak\"\n");
  }
}

TEST(RorbConversion, FatalEnds) {
  std::string wide = " 1 0", tall;
  for (int i = 0; i <= 10000; ++i) wide += " 1";
  for (int i = 0; i <= 10000; ++i) tall += std::to_string(i) + " " + std::to_string(i) + " 1\n";
  const std::pair<std::string, std::string> cases[] = {
      // Fewer numbers than the first row gave, and a text: the line of the row.
      {" 1 0 1 2 3\n 2 1 2 3\n", read_error(6)},
      {" 1 0 1\n 2 x 2\n", read_error(6)},
      {" 1 0 1\n", "\nERROR - Invalid time increment in first time series\n"},  // one row leaves no step
      {tall, "\nERROR - Exceeded maximum number of 10000 points in a RORB time-series.\n"},
      {wide + "\n", "\nERROR - Exceeded maximum number of 10000 RORB time-series allowed.\n"},
  };
  for (const auto& [rows, message] : cases) {
    ScratchDir dir;
    write_file("e.out", kSummary + " Inc   Time     Hyd001\n" + rows);
    const RunResult r = flowtab({"-rorb", "-b", "e.out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.output, message + kPause)) << r.output;
  }
}

// Blocks of thousands of rows are read many rows at a time: every value
// lands in its row and series, a slash still leaves the rest of its row at
// zero, and a row that does not read is reported at its own line.
TEST(RorbReader, LargeBlocks) {
  const auto value = [](int row, int k) { return static_cast<float>((row * 31 + k) % 1000) * 0.125f; };
  // Block b has widths[b] series and lengths[b] rows, 15 minutes apart; the
  // first row of block 0 is line 5 of the file.
  const int widths[] = {30, 7}, lengths[] = {4000, 2500}, kSlashRow = 1234, kSlashAfter = 10;
  const auto cut = [&](int b, int row, int k) { return b == 0 && row == kSlashRow && k >= kSlashAfter; };
  const auto read = [&](int bad_row) {
    std::string text = kSummary;
    for (int b = 0, first = 0; b < 2; first += widths[b++]) {
      text += " Inc   Time     Hyd001";
      for (int row = 0; row < lengths[b]; ++row) {
        text += '\n';
        text += ffmt::I(5, row) + ffmt::F(8, 2, row * 0.25f);
        for (int k = 0; k < widths[b] && !cut(b, row, k); ++k)
          text += b == 0 && row == bad_row && k == 3 ? "     x" : ffmt::F(10, 3, value(row, first + k));
        if (b == 0 && row == kSlashRow) text += " /";
      }
      text += '\n';
    }
    const auto all = [](auto& reader, ReaderRun& r) { reader.read(r.table, r.peaks, 0, 1); };
    return run_reader<conv::rorb::Reader>(text, false, all, 0.0f, false);
  };
  const ReaderRun r = read(-1);
  ASSERT_EQ(r.table.NTS(), 37);
  EXPECT_EQ(r.table.given_dt, 15.0f);
  for (int b = 0, first = 0; b < 2; first += widths[b++])
    for (int k = 0; k < widths[b]; ++k) {
      std::vector<float> want;
      for (int row = 0; row < lengths[b]; ++row) want.push_back(cut(b, row, k) ? 0.0f : value(row, first + k));
      EXPECT_EQ(r.table.series[first + k].q, want) << first + k;
    }
  for (const int bad_row : {1, 2999, 3999}) {
    const ReaderRun bad = read(bad_row);
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(ends_with(bad.console, read_error(5 + bad_row) + kPause)) << bad_row;
  }
}

std::string printed(const char* format, float v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, static_cast<double>(v));
  return buf;
}

// The model's own files: the .ts1 holds every row of the summary (increment,
// hours, flow) up to the end of the file, minutes with two decimals and the
// flow as a single-precision number with three; the peak is the largest flow.
TEST(RorbSamples, EveryValueIsTheFilesOwn) {
  const auto samples = std::filesystem::path(FLOWTAB_SOURCE_DIR) / "tests" / "samples" / "rorb";
  for (const std::string name : {"aep1_du12hour_tp1.out", "aep1_du168hour_tp3.out"}) {
    ScratchDir dir;
    const RunResult r = flowtab({"-rorb", "-b", (samples / name).string()});
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.find("WARNING"), std::string::npos);
    std::ifstream in(samples / name);
    std::string line, rows;
    while (std::getline(in, line) && line != " Inc    Time   Hyd0001") {}
    float peak = -1.0f, hours = 0.0f, flow = 0.0f;
    int n = 0;
    for (int inc = 0; in >> inc >> hours >> flow; ++n) {
      EXPECT_EQ(inc, n) << name;
      rows += printed("%12.2f,", hours * 60.0f) + printed("%12.3f\n", flow);
      peak = std::max(peak, flow);
    }
    EXPECT_TRUE(in.eof()) << name;
    EXPECT_EQ(n, 301) << name;
    EXPECT_EQ(read_file(name + ".ts1"), ts1_file(name, "Hyd0001", 301, {301}, rows));
    EXPECT_EQ(read_file(name.substr(0, name.size() - 4) + "_peak_Q.out.csv"),
              "\"ID\",\"Q Peak\"\n\"Hyd0001\"," + printed("%16.3f\n", peak));
  }
}

}  // namespace

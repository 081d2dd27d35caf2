// URBS result files: whole conversions of standard and dated rows (transcript
// and files byte for byte), the types line, and every fatal message.
#include <gtest/gtest.h>

#include <algorithm>

#include "converter/readers/urbs.h"
#include "transcript_support.h"

namespace {

using namespace transcript;
using namespace testing_support;

// `label` padded to `width` columns, then the words in 9-column fields.
std::string columns(std::string label, std::size_t width, const std::vector<std::string>& words) {
  label.resize(width, ' ');
  for (const std::string& w : words) label += std::string(9 - w.size(), ' ') + w;
  return label + "\n";
}

std::string urbs_file(const std::string& counts, const std::string& rest) {
  return "URBS test run\nDATA PARAMETERS : " + counts + "\n------------------------------------------\n" + rest;
}

// Converts `contents` as t.q, with dated rows when `dated`.
RunResult urbs_run(const std::string& contents, bool dated) {
  write_file("t.q", contents);
  return dated ? flowtab({"-urbs", "-date", "-b", "t.q"}) : flowtab({"-urbs", "-b", "t.q"});
}

const std::string kRows =
    "      0.00      1.000      2.000\n      0.50      3.000      4.000\n      1.00      2.000      1.000\n";
const std::string kCounts = "\nNumber of Hydrographs: 2\nNumber of Values:      3\n";

TEST(UrbsConversion, WorkedExample) {
  ScratchDir dir;
  expect_ts1_run("-urbs", "run.q",
                 urbs_file("Locations = 2 Values = 3",
                           columns("Time (hrs)", 19, {"Loc1", "Loc2"}) + columns("Type", 19, {"Calc", "Recd"}) + kRows),
                 kCounts + "\nReading URBS hydrographs...\n\nRnVal = 3\n...Finished Extracting Data\n" +
                     axis("        0.00", "       60.00", "   30.0000", "     3"),
                 ts1_file("run.q", "Loc1,Loc2 - Recd", 3, {3, 3},
                          "        0.00,       1.000,       2.000\n"
                          "       30.00,       3.000,       4.000\n"
                          "       60.00,       2.000,       1.000\n"),
                 "run_peak_Q.q.csv",
                 "\"ID\",\"Q Peak\"\n\"Loc1\",           3.000\n\"Loc2 - Recd\",           4.000\n");
}

// Names, types and rows: the console from the counts on, the .ts1 from its
// heading on, and one peak row per series.
TEST(UrbsConversion, NamesTypesAndRows) {
  const std::string values2 = "\nNumber of Values:      2\n", reading = "\nReading URBS hydrographs...\n",
                    two_rows = "0 1 2 3\n0.5 4 5 6\n",
                    abc = "\n        0.00,       1.000,       2.000,       3.000\n"
                          "       30.00,       4.000,       5.000,       6.000\n";
  const struct {
    std::string counts, rest, console, ts1;
    std::ptrdiff_t series;
  } cases[] = {
      // No types line: names from column 1 of the line without its blanks;
      // the next line is skipped although it holds numbers.
      {"Locations = 3 Values = 2", "    A        B        C\n 9 9 9 9\n" + two_rows, values2 + reading,
       "A,B,C" + abc, 3},
      {"Locations=3 Values=2", columns("", 19, {"X", "Y", "Z"}) + columns("", 19, {"Calc", "Recd", "Calc"}) + two_rows,
       values2 + reading, "X,Y - Recd,Z" + abc, 3},
      // Fields beyond the end of a line are blank; a row may go on in the next
      // lines; TABs separate numbers.
      {"Locations = 3 Values = 2", "A        B\n\n0\t1\t2\n\n 3\n0.5,4,5,6\n", values2 + reading, "A,B," + abc, 3},
      // A fourth type: the count comes from the types line.
      {"Locations = 3 Values = 2",
       columns("", 19, {"P", "Q", "R", "S"}) + columns("Type", 19, {"Calc", "Calc", "Recd", "Calc"}) +
           "0 1 2 3 4\n0.5 5 6 7 8\n",
       values2 + "\nWARNING - Number of timeseries not equal to not find \"Locations\", trying again.\n"
                 "\nnCalc hydrographs = 3\n\nnRecd hydrographs = 1\n" + reading,
       "P,Q,R - Recd,S\n        0.00,       1.000,       2.000,       3.000,       4.000\n"
       "       30.00,       5.000,       6.000,       7.000,       8.000\n", 4},
      // Types are matched in their case: lower-case ones leave no series.
      {"Locations = 1 Values = 1", columns("", 19, {"A"}) + columns("", 19, {"calc"}) + "0 1\n",
       "\nnCalc hydrographs = 0\n\nnRecd hydrographs = 0\n" + reading, "", 0},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const RunResult r = urbs_run(urbs_file(c.counts, c.rest), false);
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find(c.console), std::string::npos) << r.output;
    const std::string ts1 = read_file("t.q.ts1");
    EXPECT_EQ(ts1.substr(ts1.find("Time (min)")), "Time (min)  " + (c.series ? "," + c.ts1 : "\n")) << c.rest;
    EXPECT_EQ(std::ranges::count(read_file("t_peak_Q.q.csv"), '\n'), c.series + 1) << c.rest;
  }
}

TEST(UrbsConversion, FatalEnds) {
  const std::string names = columns("", 19, {"A", "B"}) + columns("", 19, {"Calc", "Calc"}),
                    dated = columns("", 25, {"A"}) + columns("", 25, {"Calc"});
  const std::string unread = "ERROR - Could not read number of locations and/or values from URBS .q file.\n",
                    too_many = "\nERROR - Exceeded maximum number of 10000 URBS time-series allowed.\n";
  std::string many_types;
  for (int i = 0; i <= 10000; ++i) many_types += " Calc";
  const struct {
    std::string file, message;
    bool dated = false;
  } cases[] = {
      {"URBS run\nno parameters\n", "\nERROR - Could not find \"DATA PARAMETERS :\" line\n"},
      {urbs_file("Locations = x Values = 3", ""),
       "ERROR - Reading number of locations and/or values from URBS .q file.\n"},
      {urbs_file("Locations = 0 Values = 3", ""), unread},
      {urbs_file("Locations = 2", ""), unread},
      {urbs_file("Locations = 10001 Values = 3", ""),
       "\nNumber of Hydrographs: 10001\nNumber of Values:      3\n" + too_many},
      {urbs_file("Locations = 2 Values = 10001", ""),
       "\nNumber of Values:      10001\n\nERROR - Exceeded maximum number of 10000 points in a URBS time-series.\n"},
      {urbs_file("Locations = 2 Values = 3", "A B\n" + many_types + "\n"), "\nnRecd hydrographs = 0\n" + too_many},
      {"DATA PARAMETERS : Locations = 2 Values = 3\n-----------\n",
       kCounts + "\nERROR - Could not find \"---------------\" line above hydrograph locations\n"},
      {urbs_file("Locations = 2 Values = 3", ""), kCounts + read_error(3)},
      {urbs_file("Locations = 2 Values = 3", names + "-- 1 2\n"),
       kCounts + "ERROR - Failed to find any hydrograph data in URBS .q file\n"},
      // The end of the file in the fourth row, a value that is no number, a
      // row that goes on past the end: the line number of the last line read.
      {urbs_file("Locations = 2 Values = 4", names + kRows), "\nRnVal = 4\n" + read_error(8)},
      {urbs_file("Locations = 2 Values = 3", names + "0 1 2\n0.5 x 2\n"), "\nRnVal = 3\n" + read_error(7)},
      {urbs_file("Locations = 2 Values = 3", names + "0 1 2\n0.5\n\n4\n"), "\nRnVal = 3\n" + read_error(9)},
      // A quote left open is no number on its own line, though the rows
      // after it would close it.
      {urbs_file("Locations = 2 Values = 3", names + "0 1 \" 2\n0.5 \" 2\n1 1 2\n"), "\nRnVal = 3\n" + read_error(6)},
      // Dated rows: a row without its value, a month that is none.
      {urbs_file("Locations = 1 Values = 2", dated + "Mon Jan 01 1990 00:00    1\nMon Jan 01 1990 00:30\n"),
       read_error(7), true},
      {urbs_file("Locations = 1 Values = 2", dated + "Mon Jan 01 1990 00:00    1\nMon Xyz 01 1990 00:30    2\n"),
       "j = 1 datestr = Mon Jan 01 1990 00:00\nERROR - Unable to extract month from URBS date:Mon Xyz 01 1990 00:30\n",
       true},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const RunResult r = urbs_run(c.file, c.dated);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.output, c.message + kPause)) << r.output.substr(r.output.find("Converting..."));
  }
}

TEST(UrbsTypes, CountSub4) {
  const std::tuple<std::string_view, std::string_view, std::int32_t> cases[] = {
      {"  Calc  Calc Recd", "Calc", 2}, {"CalcCalc", "Calc", 1},       {"CalcXCalc", "Calc", 2},
      {"calc CALC", "Calc", 0},         {"xRecdRecd Recd", "Recd", 2}, {"", "Recd", 0},
  };
  for (const auto& [line, word, n] : cases) EXPECT_EQ(conv::urbs::COUNTSUB4(line, word), n) << line;
}

// Dated rows, without and with a types line: times from the dates, in hours
// when the table keeps them.
TEST(UrbsReader, DatedRows) {
  for (const auto& [types, name] : {std::pair<std::string, std::string>{"\n", "Loc2"},
                                    {columns("", 25, {"Calc", "Recd"}), "Loc2 - Recd"}}) {
    const ReaderRun r = run_reader<conv::urbs::Reader>(
        urbs_file("Locations = 2 Values = 3", columns("", 25, {"Loc1", "Loc2"}) + types +
                                                  "Mon Jan 01 1990 00:00    1.0 2.0\nMon Jan 01 1990 00:20    3.0 4.0\n"
                                                  "Mon Jan 01 1990 00:40    2.0 1.0\n"),
        true, [](auto& reader, ReaderRun& run) { reader.read(run.table, run.peaks, 0, 1); }, true);
    EXPECT_EQ(r.console, kCounts + "\nReading URBS hydrographs...\n\nRnVal = 3\nj = 1 datestr = Mon Jan 01 1990 00:00\n"
                                   "j = 2 datestr = Mon Jan 01 1990 00:20\nj = 3 datestr = Mon Jan 01 1990 00:40\n"
                                   "...Finished Extracting Data\n");
    ASSERT_EQ(r.table.NTS(), 2);
    EXPECT_EQ(r.table.series[1].name, name);
    EXPECT_EQ(r.table.series[1].q, (std::vector<float>{2.0f, 4.0f, 1.0f}));
    // 20 minutes in single precision: (0.3333333433 h x 60) stored as 20.
    EXPECT_EQ(std::tie(r.table.series[1].tstart, r.table.series[1].tend), std::make_tuple(0.0f, 40.0f));
    EXPECT_EQ(r.table.series[1].hours, (std::vector<float>{0.0f, 20.0f / 60.0f, 40.0f / 60.0f}));
    EXPECT_TRUE(r.table.rows_from_start);
  }
}

}  // namespace

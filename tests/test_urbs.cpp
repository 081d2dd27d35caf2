// URBS result files: whole conversions of standard and dated rows (transcript
// and files byte for byte), the types line, and every fatal message.
#include <gtest/gtest.h>

#include "converter/readers/urbs.h"
#include "transcript_support.h"

namespace {

using namespace transcript;
using testing_support::read_file;
using testing_support::RunResult;
using testing_support::ScratchDir;
using testing_support::write_file;

// `label` padded to `width` columns, then the words in 9-column fields.
std::string columns(std::string label, std::size_t width, const std::vector<std::string>& words) {
  label.resize(width, ' ');
  for (const std::string& w : words) label += std::string(9 - w.size(), ' ') + w;
  return label + "\n";
}

std::string urbs_file(const std::string& counts, const std::string& rest) {
  return "URBS test run\nDATA PARAMETERS : " + counts + "\n------------------------------------------\n" + rest;
}

const std::string kRows =
    "      0.00      1.000      2.000\n      0.50      3.000      4.000\n      1.00      2.000      1.000\n";
const std::string kExample = urbs_file("Locations = 2 Values = 3", columns("Time (hrs)", 19, {"Loc1", "Loc2"}) +
                                                                       columns("Type", 19, {"Calc", "Recd"}) + kRows);

const std::string kCounts = "\nNumber of Hydrographs: 2\nNumber of Values:      3\n";

TEST(UrbsConversion, WorkedExample) {
  ScratchDir dir;
  expect_ts1_run("-urbs", "run.q", kExample,
                 kCounts + "\nReading URBS hydrographs...\n\nRnVal = 3\n...Finished Extracting Data\n" +
                     axis("        0.00", "       60.00", "   30.0000", "     3"),
                 ts1_file("run.q", "Loc1,Loc2 - Recd", 3, {3, 3},
                          "        0.00,       1.000,       2.000\n"
                          "       30.00,       3.000,       4.000\n"
                          "       60.00,       2.000,       1.000\n"),
                 "run_peak_Q.q.csv", "\"ID\",\"Q Peak\"\n\"Loc1\",           3.000\n\"Loc2 - Recd\",           4.000\n");
}

TEST(UrbsConversion, DatedRows) {
  ScratchDir dir;
  write_file("d.q", urbs_file("Locations = 2 Values = 3", columns("", 25, {"Loc1", "Loc2"}) +
                                                              columns("", 25, {"Calc", "Calc"}) +
                                                              "Mon Jan 01 1990 00:00    1.0 2.0\n"
                                                              "Mon Jan 01 1990 00:20    3.0 4.0\n"
                                                              "Mon Jan 01 1990 00:40    2.0 1.0\n"));
  const RunResult r = flowtab({"-urbs", "-date", "-b", "d.q"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("\nConverting...\n" + kCounts +
                          "\nReading URBS hydrographs...\n\nRnVal = 3\n"
                          "j = 1 datestr = Mon Jan 01 1990 00:00\nj = 2 datestr = Mon Jan 01 1990 00:20\n"
                          "j = 3 datestr = Mon Jan 01 1990 00:40\n...Finished Extracting Data\n"
                          "\nMinimum time:        0.00\nMaximum time:       40.00\nTime increment:   20.0000\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(read_file("d.q.ts1"), ts1_file("d.q", "Loc1,Loc2", 3, {3, 3},
                                           "        0.00,       1.000,       2.000\n"
                                           "       20.00,       3.000,       4.000\n"
                                           "       40.00,       2.000,       1.000\n"));
}

TEST(UrbsConversion, NamesTypesAndRows) {
  struct Case {
    std::string counts, rest;
    std::string console;  // printed between the counts and "Reading URBS hydrographs..."
    std::string heading, rows;
  };
  const std::string two_rows = "0 1 2 3\n0.5 4 5 6\n";
  const Case cases[] = {
      // No types line: names from column 1 of the line without its blanks;
      // the next line is skipped although it holds numbers.
      {"Locations = 3 Values = 2", "    A        B        C\n 9 9 9 9\n" + two_rows, "", "A,B,C",
       "1.000,       2.000,       3.000\n       30.00,       4.000,       5.000,       6.000\n"},
      {"Locations=3 Values=2", columns("", 19, {"X", "Y", "Z"}) + columns("", 19, {"Calc", "Recd", "Calc"}) + two_rows,
       "", "X,Y - Recd,Z", "1.000,       2.000,       3.000\n       30.00,       4.000,       5.000,       6.000\n"},
      // Fields beyond the end of a line are blank; a row may go on in the next
      // lines; TABs separate numbers.
      {"Locations = 3 Values = 2", "A        B\n\n0\t1\t2\n\n 3\n0.5,4,5,6\n", "", "A,B,",
       "1.000,       2.000,       3.000\n       30.00,       4.000,       5.000,       6.000\n"},
      // A fourth type: the count comes from the types line.
      {"Locations = 3 Values = 2",
       columns("", 19, {"P", "Q", "R", "S"}) + columns("Type", 19, {"Calc", "Calc", "Recd", "Calc"}) +
           "0 1 2 3 4\n0.5 5 6 7 8\n",
       "\nWARNING - Number of timeseries not equal to not find \"Locations\", trying again.\n"
       "\nnCalc hydrographs = 3\n\nnRecd hydrographs = 1\n",
       "P,Q,R - Recd,S",
       "1.000,       2.000,       3.000,       4.000\n       30.00,       5.000,       6.000,"
       "       7.000,       8.000\n"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    write_file("t.q", urbs_file(c.counts, c.rest));
    const RunResult r = flowtab({"-urbs", "-b", "t.q"});
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("\nNumber of Values:      2\n" + c.console + "\nReading URBS hydrographs...\n"),
              std::string::npos)
        << r.output;
    const std::string ts1 = read_file("t.q.ts1");
    EXPECT_EQ(ts1.substr(ts1.find("Time (min)")), "Time (min)  ," + c.heading + "\n        0.00,       " + c.rows)
        << c.rest;
  }
}

TEST(UrbsConversion, LowerCaseTypesLeaveNoSeries) {
  ScratchDir dir;
  write_file("l.q",
             urbs_file("Locations = 1 Values = 1", columns("", 19, {"A"}) + columns("", 19, {"calc"}) + "0 1\n"));
  const RunResult r = flowtab({"-urbs", "-b", "l.q"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("\nnCalc hydrographs = 0\n\nnRecd hydrographs = 0\n\nReading URBS hydrographs...\n"),
            std::string::npos);
  EXPECT_NE(r.output.find("Max increments:     0\n"), std::string::npos);
  EXPECT_EQ(read_file("l_peak_Q.q.csv"), "\"ID\",\"Q Peak\"\n");
}

TEST(UrbsConversion, FatalEnds) {
  const std::string names = columns("", 19, {"A", "B"}) + columns("", 19, {"Calc", "Calc"});
  std::string many_types;
  for (int i = 0; i <= 10000; ++i) many_types += " Calc";
  const std::pair<std::string, std::string> cases[] = {
      {"URBS run\nno parameters\n", "\nERROR - Could not find \"DATA PARAMETERS :\" line\n"},
      {urbs_file("Locations = x Values = 3", ""),
       "ERROR - Reading number of locations and/or values from URBS .q file.\n"},
      {urbs_file("Locations = 0 Values = 3", ""),
       "ERROR - Could not read number of locations and/or values from URBS .q file.\n"},
      {urbs_file("Locations = 2", ""), "ERROR - Could not read number of locations and/or values from URBS .q file.\n"},
      {urbs_file("Locations = 10001 Values = 3", ""),
       "\nNumber of Hydrographs: 10001\nNumber of Values:      3\n"
       "\nERROR - Exceeded maximum number of 10000 URBS time-series allowed.\n"},
      {urbs_file("Locations = 2 Values = 10001", ""),
       "\nNumber of Values:      10001\n\nERROR - Exceeded maximum number of 10000 points in a URBS time-series.\n"},
      {urbs_file("Locations = 2 Values = 3", "A B\n" + many_types + "\n"),
       "\nnRecd hydrographs = 0\n\nERROR - Exceeded maximum number of 10000 URBS time-series allowed.\n"},
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
  };
  for (const auto& [file, message] : cases) {
    ScratchDir dir;
    write_file("e.q", file);
    const RunResult r = flowtab({"-urbs", "-b", "e.q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.output, message + kPause)) << r.output.substr(r.output.find("Converting..."));
  }
}

TEST(UrbsConversion, BadDatedRowsEndTheRun) {
  const std::string names = columns("", 25, {"A"}) + columns("", 25, {"Calc"});
  const std::pair<std::string, std::string> cases[] = {
      {"Mon Jan 01 1990 00:00    1\nMon Jan 01 1990 00:30\n", read_error(7)},
      {"Mon Jan 01 1990 00:00    1\nMon Xyz 01 1990 00:30    2\n",
       "j = 1 datestr = Mon Jan 01 1990 00:00\nERROR - Unable to extract month from URBS date:Mon Xyz 01 1990 00:30\n"},
  };
  for (const auto& [rows, message] : cases) {
    ScratchDir dir;
    write_file("e.q", urbs_file("Locations = 1 Values = 2", names + rows));
    const RunResult r = flowtab({"-urbs", "-date", "-b", "e.q"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.output, message + kPause)) << r.output;
  }
}

TEST(UrbsTypes, CountSub4) {
  const std::tuple<std::string_view, std::string_view, std::int32_t> cases[] = {
      {"  Calc  Calc Recd", "Calc", 2}, {"CalcCalc", "Calc", 1},       {"CalcXCalc", "Calc", 2},
      {"calc CALC", "Calc", 0},         {"xRecdRecd Recd", "Recd", 2}, {"", "Recd", 0},
  };
  for (const auto& [line, word, n] : cases) EXPECT_EQ(conv::urbs::COUNTSUB4(line, word), n) << line;
}

TEST(UrbsReader, DatedValueTimesInHoursWhenKept) {
  const std::string f = urbs_file("Locations = 1 Values = 2", columns("", 25, {"A"}) +
                                                                  "\nMon Jan 01 1990 00:00    1\n"
                                                                  "Mon Jan 01 1990 00:20    2\n");
  const ReaderRun r = run_reader<conv::urbs::Reader>(
      f, true, [](auto& reader, ReaderRun& run) { reader.read(run.table, run.peaks, 0, 1); }, true);
  ASSERT_EQ(r.table.NTS(), 1);
  // 20 minutes in single precision: (0.3333333433 h x 60) stored as 20.
  EXPECT_EQ(r.table.series[0].tend, 20.0f);
  EXPECT_EQ(r.table.series[0].hours, (std::vector<float>{0.0f, 20.0f / 60.0f}));
  EXPECT_TRUE(r.table.rows_from_start);
}

}  // namespace

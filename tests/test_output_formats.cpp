// The .ts2 output of every input kind through the built program: each reader
// keeps the times of its values as the file gives them, and the -s0/-e0 zero
// steps lie one increment beyond them; and a .csv run on a single file.
// Every expected file below was worked out by hand from the input layouts;
// the run must write exactly these files and no others.
#include <gtest/gtest.h>

#include "transcript_support.h"
#include "xp_file_writer.h"

namespace {

using namespace transcript;

struct Input {
  std::string kind;  // the input option
  std::string name;  // the input file
  std::string bytes;
  std::string peak_table;  // none for row blocks (the kinds' own tests check its contents)
};

// XP-RAFTS single storm: three increments of 5 minutes, values from 5 minutes on.
const Input kRafts{"-rafts", "Q100.tot",
                   "    1    2    3       5.0\n"
                   "          Node_A\n       1.500       2.750       0.500\n"
                   "          Node_B\n       0.250       1.000       3.125\n",
                   "Q100_peak_Q.tot.csv"};

// RORB: the second block is one row shorter; times 0.083 h and 0.167 h are
// 4.98 and 10.02 minutes, the step snaps to 5.
const Input kRorb{
    "-rorb", "test.out",
    " RORB test output\n Hydrograph summary\n \n"
    " Inc   Time     Hyd001    Hyd002\n"
    "   1   0.000     0.000     1.000\n   2   0.083     2.500     3.000\n   3   0.167     1.250     2.000\n"
    " \n"
    " Inc   Time     Hyd003\n"
    "   1   0.000     4.000\n   2   0.083     5.000\n"
    " \n End of summary\n",
    "test_peak_Q.out.csv"};

// URBS with a types line: the recorded series is named "Loc2 - Recd".
const Input kUrbs{
    "-urbs", "run.q",
    "URBS test run\nDATA PARAMETERS : Locations = 2 Values = 3\n"
    "------------------------------------------\n"
    "Time (hrs)              Loc1     Loc2\n"
    "Type                    Calc     Recd\n"
    "      0.00      1.000      2.000\n      0.50      3.000      4.000\n      1.00      2.000      1.000\n",
    "run_peak_Q.q.csv"};

// DARNO: node 12 from 0 h, N_1 from 0.5 h (times in hours, 10-column fields).
const Input kDarno{"-darno", "res.txt",
                   "DARNO results file\n"
                   "QT      12    3\n       0.0       0.5       1.0\n      10.0      20.0      15.0\n"
                   "HT   N_1      2\n       0.5       1.0\n       2.5       2.0\n",
                   "res_peak_Q.txt.csv"};

// Row blocks: Flow A has 4 values, Flow B 2; value k lies at time k.
const Input kRows{"-rows", "flows.txt", "Flow A\n1 2 3\n4\n\nFlow B\n7 8\n", ""};

// XP interface file: two locations, steps at 06:00, 06:15 and 06:30.
std::string xp_bytes() {
  xpgen::File f;
  f.ids = {"NODE1", "NODE2"};
  const std::vector<double> q[] = {{1.0, 0.5}, {2.5, 0.75}, {1.5, 3.25}};
  for (int k = 0; k < 3; ++k) f.steps.push_back({.timesec = 21600.0 + 900.0 * k, .q = q[k], .c = {}});
  return xpgen::write(f).bytes;
}
const Input kXp{"-xp", "run.int", xp_bytes(), "run_peak_Q.int.csv"};

struct Case {
  const Input* input;
  std::string options;  // the format option first
  std::string text;     // of the one output, the input's name with the format's extension
};

const Case kCases[] = {
    {&kRafts, "-ts2 -s0 -e0",
     "\"Time_Node_A\",\"Node_A\",\"Time_Node_B\",\"Node_B\"\n" +
         grid("0.0000 0.000 0.0000 0.000 / 0.0833 1.500 0.0833 0.250 / 0.1667 2.750 0.1667 1.000 / "
              "0.2500 0.500 0.2500 3.125 / 0.3333 0.000 0.3333 0.000")},
    // RORB: .ts2 times are the series' own (4.98 and 10.02 minutes), .csv rows
    // lie on the 5-minute axis.
    {&kRorb, "-ts2 -s0 -e0",
     "\"Time_Hyd001\",\"Hyd001\",\"Time_Hyd002\",\"Hyd002\",\"Time_Hyd003\",\"Hyd003\"\n" +
         grid("-0.0833 0.000 -0.0833 0.000 -0.0833 0.000 / 0.0000 0.000 0.0000 1.000 0.0000 4.000 / "
              "0.0830 2.500 0.0830 3.000 0.0830 5.000 / 0.1670 1.250 0.1670 2.000 0.1663 0.000 / "
              "0.2503 0.000 0.2503 0.000 _ _")},
    {&kRorb, "-csv",
     "Time (hr)   ,Hyd001,Hyd002,Hyd003\n" +
         grid("0.0000 0.000 1.000 4.000 / 0.0833 2.500 3.000 5.000 / 0.1667 1.250 2.000 _")},
    {&kUrbs, "-ts2 -s0 -e0",
     "\"Time_Loc1\",\"Loc1\",\"Time_Loc2 - Recd\",\"Loc2 - Recd\"\n" +
         grid("-0.5000 0.000 -0.5000 0.000 / 0.0000 1.000 0.0000 2.000 / 0.5000 3.000 0.5000 4.000 / "
              "1.0000 2.000 1.0000 1.000 / 1.5000 0.000 1.5000 0.000")},
    // DARNO: the hours as read.
    {&kDarno, "-ts2 -s0 -e0",
     "\"Time_QT00012\",\"QT00012\",\"Time_HTN_1\",\"HTN_1\"\n" +
         grid("-0.5000 0.000 0.0000 0.000 / 0.0000 10.000 0.5000 2.500 / 0.5000 20.000 1.0000 2.000 / "
              "1.0000 15.000 1.5000 0.000 / 1.5000 0.000 _ _")},
    // Row blocks: value k at k minutes, k / 60 hours.
    {&kRows, "-ts2 -s0 -e0",
     "\"Time_Flow A\",\"Flow A\",\"Time_Flow B\",\"Flow B\"\n" +
         grid("0.0000 0.000 0.0000 0.000 / 0.0167 1.000 0.0167 7.000 / 0.0333 2.000 0.0333 8.000 / "
              "0.0500 3.000 0.0500 0.000 / 0.0667 4.000 _ _ / 0.0833 0.000 _ _")},
    {&kXp, "-ts2 -s0 -e0",
     "\"Time_NODE1\",\"NODE1\",\"Time_NODE2\",\"NODE2\"\n" +
         grid("5.7500 0.000 5.7500 0.000 / 6.0000 1.000 6.0000 0.500 / 6.2500 2.500 6.2500 0.750 / "
              "6.5000 1.500 6.5000 3.250 / 6.7500 0.000 6.7500 0.000")},
};

// Names the case in test reports by its input option and options.
void PrintTo(const Case& c, std::ostream* os) { *os << c.input->kind << ' ' << c.options; }

class OutputFormats : public ::testing::TestWithParam<Case> {};

TEST_P(OutputFormats, WritesExactlyTheWorkedFiles) {
  const Case& c = GetParam();
  const Input& in = *c.input;
  ScratchDir dir;
  write_file(in.name, in.bytes);
  const auto r = flowtab(words(in.kind + " " + c.options + " -b " + in.name));
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string ext = "." + c.options.substr(1, 3), file = in.name + ext;
  EXPECT_TRUE(holds(r.output, "\n\nWriting to " + ext + " file...\n"));
  EXPECT_EQ(read_file(file), c.text);
  std::set<std::string> expected{in.name, file};
  if (!in.peak_table.empty()) expected.insert(in.peak_table);
  EXPECT_EQ(files_here(), expected);
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  return info.param.input->kind.substr(1) + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, OutputFormats, ::testing::ValuesIn(kCases), case_name);

}  // namespace

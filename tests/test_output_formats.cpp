// The .csv and .ts2 outputs of every input kind, through the built program:
// a small file of each kind (a series that starts late or ends early where
// the kind allows one) converted with -csv, -csv -colN, -ts2 and -s0/-e0, and
// multi-event runs with -csv.  Every expected file below was worked out by
// hand from the input layouts; the run must write exactly these files and no
// others.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <set>

#include "transcript_support.h"
#include "xp_file_writer.h"

namespace {

using testing_support::read_file;
using testing_support::ScratchDir;
using testing_support::write_file;
using transcript::flowtab;

const std::string B(12, ' ');         // a blank field
const std::string BB = B + "," + B;  // a blank .ts2 pair

struct Input {
  std::string kind;   // the input option
  std::string name;   // the input file
  std::string bytes;
  std::string peak_name, peak;  // the peak table; none for row blocks
};

// WBNM 2017: Sub_2 starts one step after Sub_1.  Local values are columns 6 + 7.
const Input kWbnm{"-wbnm", "Q100_Meta.out",
                  "#####START_META_FILE######\nWBNM Version: 2017_1b - test\n#####END_META_FILE########\n"
                  "#####START_STORM#1\n"
                  "#####START_HYDROGRAPHS_Sub_1\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
                  " 0.0 0 0 0 0 0.1 0.1 0 1.0\n 5.0 0 0 0 0 0.2 0.2 0 2.0\n 10.0 0 0 0 0 0.3 0.1 0 1.5\n"
                  "#####END_HYDROGRAPHS\n"
                  "#####START_HYDROGRAPHS_Sub_2\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
                  " 5.0 0 0 0 0 0.5 0.5 0 3.0\n 10.0 0 0 0 0 0.25 0.25 0 4.0\n#####END_HYDROGRAPHS\n"
                  "#####START_PEAK_SUMMARY\n-\n-\n-\n-\n-\n-\n"
                  "Sub_1        1 2 3 4 5 6 7 2.0 9\nSub_2        1 2 3 4 5 6 7 4.0 9\n"
                  "#####END_PEAK_SUMMARY\n#####END_OF_FILE\n",
                  "Q100_Meta_peak_Q.out.csv", "\"ID\",\"Q Peak\"\n\"Sub_1\",           2.000\n\"Sub_2\",           4.000\n"};

// XP-RAFTS single storm: three increments of 5 minutes, values from 5 minutes on.
const Input kRafts{"-rafts", "Q100.tot",
                   "    1    2    3       5.0\n"
                   "          Node_A\n       1.500       2.750       0.500\n"
                   "          Node_B\n       0.250       1.000       3.125\n",
                   "Q100_peak_Q.tot.csv", "\"ID\",\"Q Peak\"\n\"Node_A\",           2.750\n\"Node_B\",           3.125\n"};

// RORB: the second block is one row shorter; times 0.083 h and 0.167 h are
// 4.98 and 10.02 minutes, the step snaps to 5.
const Input kRorb{"-rorb", "test.out",
                  " RORB test output\n Hydrograph summary\n \n"
                  " Inc   Time     Hyd001    Hyd002\n"
                  "   1   0.000     0.000     1.000\n   2   0.083     2.500     3.000\n   3   0.167     1.250     2.000\n"
                  " \n"
                  " Inc   Time     Hyd003\n"
                  "   1   0.000     4.000\n   2   0.083     5.000\n"
                  " \n End of summary\n",
                  "test_peak_Q.out.csv",
                  "\"ID\",\"Q Peak\"\n\"Hyd001\",           2.500\n\"Hyd002\",           3.000\n\"Hyd003\",           5.000\n"};

// URBS with a types line: the recorded series is named "Loc2 - Recd".
const Input kUrbs{"-urbs", "run.q",
                  "URBS test run\nDATA PARAMETERS : Locations = 2 Values = 3\n"
                  "------------------------------------------\n"
                  "Time (hrs)              Loc1     Loc2\n"
                  "Type                    Calc     Recd\n"
                  "      0.00      1.000      2.000\n      0.50      3.000      4.000\n      1.00      2.000      1.000\n",
                  "run_peak_Q.q.csv", "\"ID\",\"Q Peak\"\n\"Loc1\",           3.000\n\"Loc2 - Recd\",           4.000\n"};

// DARNO: node 12 from 0 h, N_1 from 0.5 h (times in hours, 10-column fields).
const Input kDarno{"-darno", "res.txt",
                   "DARNO results file\n"
                   "QT      12    3\n       0.0       0.5       1.0\n      10.0      20.0      15.0\n"
                   "HT   N_1      2\n       0.5       1.0\n       2.5       2.0\n",
                   "res_peak_Q.txt.csv", "\"ID\",\"Q Peak\"\n\"QT00012\",          20.000\n\"HTN_1\",           2.500\n"};

// Row blocks: Flow A has 4 values, Flow B 2; value k lies at time k.
const Input kRows{"-rows", "flows.txt", "Flow A\n1 2 3\n4\n\nFlow B\n7 8\n", "", ""};

// XP interface file: two locations, steps at 06:00, 06:15 and 06:30.
std::string xp_bytes() {
  xpgen::File f;
  f.ids = {"NODE1", "NODE2"};
  const std::vector<double> q[] = {{1.0, 0.5}, {2.5, 0.75}, {1.5, 3.25}};
  for (int k = 0; k < 3; ++k) f.steps.push_back({.timesec = 21600.0 + 900.0 * k, .q = q[k], .c = {}});
  return xpgen::write(f).bytes;
}
const Input kXp{"-xp", "run.int", xp_bytes(), "run_peak_Q.int.csv",
                "\"ID\",\"Q Peak\"\n\"NODE1\",           2.500\n\"NODE2\",           3.250\n"};

// WBNM 2019, two simulations; Sub_2 runs in the first only.
const Input kWbnmDurations{
    "-wbnm", "Q100_Meta.out",
    "#####START_META_FILE######\nWBNM Version: 2019_v2a - test\n#####END_META_FILE########\n"
    "#####START_SIMULATION: 60 (Run 1)\n"
    "#####START_HYDROGRAPHS_Sub_1: hydrograph\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
    " 0.0 0 0 0 0 0.1 0.1 0 1.0\n 5.0 0 0 0 0 0.2 0.2 0 2.0\n#####END_HYDROGRAPHS\n"
    "#####START_HYDROGRAPHS_Sub_2: hydrograph\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
    " 0.0 0 0 0 0 1.0 1.0 0 4.0\n 5.0 0 0 0 0 1.5 1.0 0 5.0\n#####END_HYDROGRAPHS\n"
    "#####START_PEAK_SUMMARY\n-\n-\n-\n-\n-\n-\n"
    "Sub_1        1 2 3 4 5 6 7 2.0 9\nSub_2        1 2 3 4 5 6 7 5.0 9\n#####END_PEAK_SUMMARY\n"
    "#####START_SIMULATION: 90 (Run 2)\n"
    "#####START_HYDROGRAPHS_Sub_1: hydrograph\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
    " 0.0 0 0 0 0 0.1 0.1 0 1.5\n 5.0 0 0 0 0 0.3 0.3 0 3.0\n#####END_HYDROGRAPHS\n"
    "#####START_PEAK_SUMMARY\n-\n-\n-\n-\n-\n-\nSub_1        1 2 3 4 5 6 7 3.0 9\n#####END_PEAK_SUMMARY\n"
    "#####END_OF_FILE\n",
    "Q100_Meta_peak_Q.out.csv",
    "Time (hr)   ,60,90\n\"Sub_1\",           2.000,           3.000\n\"Sub_2\",           5.000,      -99999.000\n"};

// XP-RAFTS, two storms (5 and 10 minute increments); N2 runs in the first only.
const Input kRaftsStorms{"-rafts", "Q100.tot",
                         "    1    2    2       5.0\n"
                         "          N1\n       1.000       2.000\n"
                         "          N2\n       3.000       0.500\n"
                         "    2    1    3      10.0\n"
                         "          N1\n       0.500       4.000       1.000\n",
                         "Q100_peak_Q.tot.csv",
                         "Time (hr)   ,E1,E2\n\"N1\",           2.000,           4.000\n\"N2\",           3.000,      -99999.000\n"};

struct Case {
  const Input* input;
  std::vector<std::string> options;
  int writing;  // "Writing to" lines on the console, each after an empty line
  std::vector<std::pair<std::string, std::string>> files;
  int status = 0;
  std::string said = "";  // a console line of the run
};

const Case kCases[] = {
    // ---- WBNM: a _tot and a _loc file that keep the input's extension.
    {&kWbnm, {"-csv"}, 1,
     {{"Q100_Meta.out_tot.csv", "Time (hr)   ,Sub_1,Sub_2\n"
                                "      0.0000,       1.000," + B + "\n"
                                "      0.0833,       2.000,       3.000\n"
                                "      0.1667,       1.500,       4.000\n"},
      {"Q100_Meta.out_loc.csv", "Time (hr)   ,Sub_1,Sub_2\n"
                                "      0.0000,       0.200," + B + "\n"
                                "      0.0833,       0.400,       1.000\n"
                                "      0.1667,       0.400,       0.500\n"}}},
    {&kWbnm, {"-csv", "-col1"}, 2,
     {{"Q100_Meta.out_tot.csv", "Time (hr)   ,Sub_1\n      0.0000,       1.000\n      0.0833,       2.000\n"
                                "      0.1667,       1.500\n\nTime (hr)   ,Sub_2\n      0.0000," + B + "\n"
                                "      0.0833,       3.000\n      0.1667,       4.000\n"},
      {"Q100_Meta.out_loc.csv", "Time (hr)   ,Sub_1\n      0.0000,       0.200\n      0.0833,       0.400\n"
                                "      0.1667,       0.400\n\nTime (hr)   ,Sub_2\n      0.0000," + B + "\n"
                                "      0.0833,       1.000\n      0.1667,       0.500\n"}}},
    // A zero row at each end; Sub_2's leading zero falls on its own first row.
    {&kWbnm, {"-csv", "-s0", "-e0"}, 1,
     {{"Q100_Meta.out_tot.csv", "Time (hr)   ,Sub_1,Sub_2\n"
                                "     -0.0833,       0.000," + B + "\n"
                                "      0.0000,       1.000,       0.000\n"
                                "      0.0833,       2.000,       3.000\n"
                                "      0.1667,       1.500,       4.000\n"
                                "      0.2500,       0.000,       0.000\n"},
      {"Q100_Meta.out_loc.csv", "Time (hr)   ,Sub_1,Sub_2\n"
                                "     -0.0833,       0.000," + B + "\n"
                                "      0.0000,       0.200,       0.000\n"
                                "      0.0833,       0.400,       1.000\n"
                                "      0.1667,       0.400,       0.500\n"
                                "      0.2500,       0.000,       0.000\n"}}},
    // .ts2 is refused for WBNM input before anything is written.
    {&kWbnm, {"-ts2"}, 0, {}, 1, "\n   TS2 Output Format not supported for WBNM format or multiple event switch.\n"},

    // ---- XP-RAFTS
    {&kRafts, {"-csv"}, 1,
     {{"Q100.tot.csv", "Time (hr)   ,Node_A,Node_B\n      0.0833,       1.500,       0.250\n"
                       "      0.1667,       2.750,       1.000\n      0.2500,       0.500,       3.125\n"}}},
    {&kRafts, {"-csv", "-col1"}, 2,
     {{"Q100.tot.csv", "Time (hr)   ,Node_A\n      0.0833,       1.500\n      0.1667,       2.750\n"
                       "      0.2500,       0.500\n\nTime (hr)   ,Node_B\n      0.0833,       0.250\n"
                       "      0.1667,       1.000\n      0.2500,       3.125\n"}}},
    {&kRafts, {"-ts2"}, 1,
     {{"Q100.tot.ts2", "\"Time_Node_A\",\"Node_A\",\"Time_Node_B\",\"Node_B\"\n"
                       "      0.0833,       1.500,      0.0833,       0.250\n"
                       "      0.1667,       2.750,      0.1667,       1.000\n"
                       "      0.2500,       0.500,      0.2500,       3.125\n"}}},
    {&kRafts, {"-ts2", "-s0", "-e0"}, 1,
     {{"Q100.tot.ts2", "\"Time_Node_A\",\"Node_A\",\"Time_Node_B\",\"Node_B\"\n"
                       "      0.0000,       0.000,      0.0000,       0.000\n"
                       "      0.0833,       1.500,      0.0833,       0.250\n"
                       "      0.1667,       2.750,      0.1667,       1.000\n"
                       "      0.2500,       0.500,      0.2500,       3.125\n"
                       "      0.3333,       0.000,      0.3333,       0.000\n"}}},

    // ---- RORB: .csv rows lie on the 5-minute axis, .ts2 times are the
    // series' own (4.98 and 10.02 minutes).
    {&kRorb, {"-csv"}, 1,
     {{"test.out.csv", "Time (hr)   ,Hyd001,Hyd002,Hyd003\n"
                       "      0.0000,       0.000,       1.000,       4.000\n"
                       "      0.0833,       2.500,       3.000,       5.000\n"
                       "      0.1667,       1.250,       2.000," + B + "\n"}}},
    {&kRorb, {"-csv", "-col2"}, 2,
     {{"test.out.csv", "Time (hr)   ,Hyd001,Hyd002\n      0.0000,       0.000,       1.000\n"
                       "      0.0833,       2.500,       3.000\n      0.1667,       1.250,       2.000\n\n"
                       "Time (hr)   ,Hyd003\n      0.0000,       4.000\n      0.0833,       5.000\n"
                       "      0.1667," + B + "\n"}}},
    {&kRorb, {"-ts2"}, 1,
     {{"test.out.ts2", "\"Time_Hyd001\",\"Hyd001\",\"Time_Hyd002\",\"Hyd002\",\"Time_Hyd003\",\"Hyd003\"\n"
                       "      0.0000,       0.000,      0.0000,       1.000,      0.0000,       4.000\n"
                       "      0.0830,       2.500,      0.0830,       3.000,      0.0830,       5.000\n"
                       "      0.1670,       1.250,      0.1670,       2.000," + BB + "\n"}}},
    {&kRorb, {"-ts2", "-s0", "-e0"}, 1,
     {{"test.out.ts2", "\"Time_Hyd001\",\"Hyd001\",\"Time_Hyd002\",\"Hyd002\",\"Time_Hyd003\",\"Hyd003\"\n"
                       "     -0.0833,       0.000,     -0.0833,       0.000,     -0.0833,       0.000\n"
                       "      0.0000,       0.000,      0.0000,       1.000,      0.0000,       4.000\n"
                       "      0.0830,       2.500,      0.0830,       3.000,      0.0830,       5.000\n"
                       "      0.1670,       1.250,      0.1670,       2.000,      0.1663,       0.000\n"
                       "      0.2503,       0.000,      0.2503,       0.000," + BB + "\n"}}},

    // ---- URBS
    {&kUrbs, {"-csv"}, 1,
     {{"run.q.csv", "Time (hr)   ,Loc1,Loc2 - Recd\n      0.0000,       1.000,       2.000\n"
                    "      0.5000,       3.000,       4.000\n      1.0000,       2.000,       1.000\n"}}},
    {&kUrbs, {"-csv", "-col1"}, 2,
     {{"run.q.csv", "Time (hr)   ,Loc1\n      0.0000,       1.000\n      0.5000,       3.000\n"
                    "      1.0000,       2.000\n\nTime (hr)   ,Loc2 - Recd\n      0.0000,       2.000\n"
                    "      0.5000,       4.000\n      1.0000,       1.000\n"}}},
    {&kUrbs, {"-ts2"}, 1,
     {{"run.q.ts2", "\"Time_Loc1\",\"Loc1\",\"Time_Loc2 - Recd\",\"Loc2 - Recd\"\n"
                    "      0.0000,       1.000,      0.0000,       2.000\n"
                    "      0.5000,       3.000,      0.5000,       4.000\n"
                    "      1.0000,       2.000,      1.0000,       1.000\n"}}},
    {&kUrbs, {"-ts2", "-s0", "-e0"}, 1,
     {{"run.q.ts2", "\"Time_Loc1\",\"Loc1\",\"Time_Loc2 - Recd\",\"Loc2 - Recd\"\n"
                    "     -0.5000,       0.000,     -0.5000,       0.000\n"
                    "      0.0000,       1.000,      0.0000,       2.000\n"
                    "      0.5000,       3.000,      0.5000,       4.000\n"
                    "      1.0000,       2.000,      1.0000,       1.000\n"
                    "      1.5000,       0.000,      1.5000,       0.000\n"}}},

    // ---- DARNO: .ts2 times are the hours as read.
    {&kDarno, {"-csv"}, 1,
     {{"res.txt.csv", "Time (hr)   ,QT00012,HTN_1\n      0.0000,      10.000," + B + "\n"
                      "      0.5000,      20.000,       2.500\n      1.0000,      15.000,       2.000\n"}}},
    {&kDarno, {"-csv", "-col1"}, 2,
     {{"res.txt.csv", "Time (hr)   ,QT00012\n      0.0000,      10.000\n      0.5000,      20.000\n"
                      "      1.0000,      15.000\n\nTime (hr)   ,HTN_1\n      0.0000," + B + "\n"
                      "      0.5000,       2.500\n      1.0000,       2.000\n"}}},
    {&kDarno, {"-ts2"}, 1,
     {{"res.txt.ts2", "\"Time_QT00012\",\"QT00012\",\"Time_HTN_1\",\"HTN_1\"\n"
                      "      0.0000,      10.000,      0.5000,       2.500\n"
                      "      0.5000,      20.000,      1.0000,       2.000\n"
                      "      1.0000,      15.000," + BB + "\n"}}},
    {&kDarno, {"-ts2", "-s0", "-e0"}, 1,
     {{"res.txt.ts2", "\"Time_QT00012\",\"QT00012\",\"Time_HTN_1\",\"HTN_1\"\n"
                      "     -0.5000,       0.000,      0.0000,       0.000\n"
                      "      0.0000,      10.000,      0.5000,       2.500\n"
                      "      0.5000,      20.000,      1.0000,       2.000\n"
                      "      1.0000,      15.000,      1.5000,       0.000\n"
                      "      1.5000,       0.000," + BB + "\n"}}},

    // ---- Row blocks: value k at k minutes, k / 60 hours.
    {&kRows, {"-csv"}, 1,
     {{"flows.txt.csv", "Time (hr)   ,Flow A,Flow B\n      0.0167,       1.000,       7.000\n"
                        "      0.0333,       2.000,       8.000\n      0.0500,       3.000," + B + "\n"
                        "      0.0667,       4.000," + B + "\n"}}},
    {&kRows, {"-csv", "-col1"}, 2,
     {{"flows.txt.csv", "Time (hr)   ,Flow A\n      0.0167,       1.000\n      0.0333,       2.000\n"
                        "      0.0500,       3.000\n      0.0667,       4.000\n\nTime (hr)   ,Flow B\n"
                        "      0.0167,       7.000\n      0.0333,       8.000\n      0.0500," + B + "\n"
                        "      0.0667," + B + "\n"}}},
    {&kRows, {"-ts2"}, 1,
     {{"flows.txt.ts2", "\"Time_Flow A\",\"Flow A\",\"Time_Flow B\",\"Flow B\"\n"
                        "      0.0167,       1.000,      0.0167,       7.000\n"
                        "      0.0333,       2.000,      0.0333,       8.000\n"
                        "      0.0500,       3.000," + BB + "\n"
                        "      0.0667,       4.000," + BB + "\n"}}},
    {&kRows, {"-ts2", "-s0", "-e0"}, 1,
     {{"flows.txt.ts2", "\"Time_Flow A\",\"Flow A\",\"Time_Flow B\",\"Flow B\"\n"
                        "      0.0000,       0.000,      0.0000,       0.000\n"
                        "      0.0167,       1.000,      0.0167,       7.000\n"
                        "      0.0333,       2.000,      0.0333,       8.000\n"
                        "      0.0500,       3.000,      0.0500,       0.000\n"
                        "      0.0667,       4.000," + BB + "\n"
                        "      0.0833,       0.000," + BB + "\n"}}},

    // ---- XP interface file
    {&kXp, {"-csv"}, 1,
     {{"run.int.csv", "Time (hr)   ,NODE1,NODE2\n      6.0000,       1.000,       0.500\n"
                      "      6.2500,       2.500,       0.750\n      6.5000,       1.500,       3.250\n"}}},
    {&kXp, {"-csv", "-col1"}, 2,
     {{"run.int.csv", "Time (hr)   ,NODE1\n      6.0000,       1.000\n      6.2500,       2.500\n"
                      "      6.5000,       1.500\n\nTime (hr)   ,NODE2\n      6.0000,       0.500\n"
                      "      6.2500,       0.750\n      6.5000,       3.250\n"}}},
    {&kXp, {"-ts2"}, 1,
     {{"run.int.ts2", "\"Time_NODE1\",\"NODE1\",\"Time_NODE2\",\"NODE2\"\n"
                      "      6.0000,       1.000,      6.0000,       0.500\n"
                      "      6.2500,       2.500,      6.2500,       0.750\n"
                      "      6.5000,       1.500,      6.5000,       3.250\n"}}},
    {&kXp, {"-ts2", "-s0", "-e0"}, 1,
     {{"run.int.ts2", "\"Time_NODE1\",\"NODE1\",\"Time_NODE2\",\"NODE2\"\n"
                      "      5.7500,       0.000,      5.7500,       0.000\n"
                      "      6.0000,       1.000,      6.0000,       0.500\n"
                      "      6.2500,       2.500,      6.2500,       0.750\n"
                      "      6.5000,       1.500,      6.5000,       3.250\n"
                      "      6.7500,       0.000,      6.7500,       0.000\n"}}},

    // ---- Multiple events with -csv: one file (WBNM: one pair) per event,
    // named by the event, and a peak table headed in hours.
    {&kWbnmDurations, {"-mw", "-csv"}, 2,
     {{"Q100_Meta_60min_tot.csv", "Time (hr)   ,Sub_1,Sub_2\n      0.0000,       1.000,       4.000\n"
                                  "      0.0833,       2.000,       5.000\n"},
      {"Q100_Meta_60min_loc.csv", "Time (hr)   ,Sub_1,Sub_2\n      0.0000,       0.200,       2.000\n"
                                  "      0.0833,       0.400,       2.500\n"},
      {"Q100_Meta_90min_tot.csv", "Time (hr)   ,Sub_1\n      0.0000,       1.500\n      0.0833,       3.000\n"},
      {"Q100_Meta_90min_loc.csv", "Time (hr)   ,Sub_1\n      0.0000,       0.200\n      0.0833,       0.600\n"}}},
    {&kRaftsStorms, {"-mr", "events.txt", "-csv"}, 2,
     {{"Q100_E1.tot.csv", "Time (hr)   ,N1,N2\n      0.0833,       1.000,       3.000\n"
                          "      0.1667,       2.000,       0.500\n"},
      {"Q100_E2.tot.csv", "Time (hr)   ,N1\n      0.1667,       0.500\n      0.3333,       4.000\n"
                          "      0.5000,       1.000\n"}}},
};

// Names the case in test reports by its input option and options.
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.input->kind;
  for (const std::string& o : c.options) *os << ' ' << o;
}

class OutputFormats : public ::testing::TestWithParam<Case> {};

TEST_P(OutputFormats, WritesExactlyTheWorkedFiles) {
  const Case& c = GetParam();
  const Input& in = *c.input;
  ScratchDir dir;
  write_file(in.name, in.bytes);
  write_file("events.txt", "E1\nE2\n");
  std::vector<std::string> args{in.kind};
  args.insert(args.end(), c.options.begin(), c.options.end());
  args.insert(args.end(), {"-b", in.name});
  const auto r = flowtab(args);
  EXPECT_EQ(r.status, c.status) << r.output;

  const bool ts2 = std::find(c.options.begin(), c.options.end(), "-ts2") != c.options.end();
  const std::string announced = ts2 ? "\n\nWriting to .ts2 file...\n" : "\n\nWriting to .csv file...\n";
  int writing = 0;
  for (std::size_t at = 0; (at = r.output.find(announced, at)) != std::string::npos; ++at) ++writing;
  EXPECT_EQ(writing, c.writing) << r.output;
  EXPECT_NE(r.output.find(c.said), std::string::npos) << r.output;

  std::set<std::string> expected{in.name, "events.txt"};
  for (const auto& [name, text] : c.files) {
    expected.insert(name);
    EXPECT_EQ(read_file(name), text) << name;
  }
  if (c.status == 0 && !in.peak_name.empty()) {
    expected.insert(in.peak_name);
    EXPECT_EQ(read_file(in.peak_name), in.peak) << in.peak_name;
  }
  std::set<std::string> present;
  for (const auto& e : std::filesystem::directory_iterator("."))
    present.insert(e.path().filename().string());
  EXPECT_EQ(present, expected);
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  return info.param.input->kind.substr(1) + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, OutputFormats, ::testing::ValuesIn(kCases), case_name);

}  // namespace

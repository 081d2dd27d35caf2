// Whole runs of XP-RAFTS files and of multi-event inputs (-mw WBNM durations,
// -mr XP-RAFTS storms): the console transcript and every file written, byte
// for byte.
#include <gtest/gtest.h>

#include "transcript_support.h"

namespace {

using namespace transcript;

const std::string kHead = kBanner + "Found 1 input files\n";

std::string written(const std::string& tmin, const std::string& tmax, const std::string& dt, const std::string& n) {
  return axis(tmin, tmax, dt, n) + "\nWriting to .ts1 file...\n";
}

// ---- WBNM -mw ------------------------------------------------------------

// A version 2019 file of two simulations.
const std::string kSimulations =
    "#####START_META_FILE######\nWBNM Version: 2019_v2a - test\n#####END_META_FILE########\n"
    "#####START_SIMULATION: 60 (Run 1)\n"
    "#####START_HYDROGRAPHS_Sub_1: hydrograph\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
    " 0.0 0 0 0 0 0.1 0.1 0 1.0\n 5.0 0 0 0 0 0.2 0.2 0 2.0\n#####END_HYDROGRAPHS\n"
    "#####START_PEAK_SUMMARY\n1\n2\n3\n4\n5\n6\nSub_1        1 2 3 4 5 6 7 2.0 9\n#####END_PEAK_SUMMARY\n"
    "#####START_SIMULATION: 90 (Run 2)\n"
    "#####START_HYDROGRAPHS_Sub_1: hydrograph\n Time c2 c3 c4 c5 c6 c7 c8 c9\n"
    " 0.0 0 0 0 0 0.1 0.1 0 1.5\n 5.0 0 0 0 0 0.3 0.3 0 3.0\n#####END_HYDROGRAPHS\n"
    "#####START_PEAK_SUMMARY\n1\n2\n3\n4\n5\n6\nSub_1        1 2 3 4 5 6 7 3.0 9\n#####END_PEAK_SUMMARY\n"
    "#####END_OF_FILE\n";

std::string wbnm_event(const std::string& name, int tot, int loc) {
  return opened_output("Q100_Meta_" + name + "min_tot.ts1", tot) +
         opened_output("Q100_Meta_" + name + "min_loc.ts1", loc) +
         "\nConverting...\n...Reading WBNM Hydrograph: Sub_1\n" +
         written("        0.00", "        5.00", "    5.0000", "     2") + closed(tot) + closed(loc);
}

// Markers are found whatever their case, and a name is cut where its marker
// was found, for both header forms: the same run each time.
TEST(WbnmDurations, SimulationsOfA2019File) {
  const std::string upper = "#####START_HYDROGRAPHS_Sub_1:";
  for (const std::string& header : {upper, std::string("#####start_hydrographs_Sub_1:"),
                                    std::string("##### wbnm - start_subareal_hydrographs Sub_1:")}) {
    ScratchDir dir;
    std::string input = kSimulations;
    for (std::size_t p = 0; (p = input.find(upper, p)) != std::string::npos; p += header.size())
      input.replace(p, upper.size(), header);
    write_file("Q100_Meta.out", input);
    const RunResult r = flowtab({"-wbnm", "-mw", "-b", "Q100_Meta.out"});
    EXPECT_EQ(r.status, 0) << header;
    const std::string names =
        "   TS1 Total Hydrographs Output File Based On: Q100_Meta_60min_tot.ts1\n"
        "   TS1 Local Hydrographs Output File Based On: Q100_Meta_60min_loc.ts1\n"
        "   TS1 Total Hydrographs Output File Based On: Q100_Meta_90min_tot.ts1\n"
        "   TS1 Local Hydrographs Output File Based On: Q100_Meta_90min_loc.ts1\n";
    EXPECT_EQ(r.output, kHead + "\nConverting to .ts1: Q100_Meta.out\n" + opened_input("Q100_Meta.out") +
                            "\nMultiple Duration Switch Enabled WBNM out file version: 2019201\n"
                            "Counting events... \n           4           19 \n"
                            "A total of 2 storms were identified in the storm block.\n"
                            "Collecting event names... \n60\n90\n Multiple WBMN Event Names Sucessfully Read:\n" +
                            names + closed(1001) + opened_input("Q100_Meta.out") + wbnm_event("60", 1002, 1003) +
                            wbnm_event("90", 1002, 1003) + closed(1001) +
                            "Debug - wbnm event count: 2 size of event list: ,2\n" +
                            opened_output("Q100_Meta_peak_Q.out.csv", 1001) + closed(1001) + "\nFinished.\n");
    const auto file = [](bool total, const std::string& rows) {
      return ts1_file("Q100_Meta.out", "Sub_1", 2, {2}, grid(rows), total);
    };
    EXPECT_EQ(read_file("Q100_Meta_60min_tot.ts1"), file(true, "0.00 1.000 / 5.00 2.000"));
    EXPECT_EQ(read_file("Q100_Meta_60min_loc.ts1"), file(false, "0.00 0.200 / 5.00 0.400"));
    EXPECT_EQ(read_file("Q100_Meta_90min_tot.ts1"), file(true, "0.00 1.500 / 5.00 3.000"));
    EXPECT_EQ(read_file("Q100_Meta_90min_loc.ts1"), file(false, "0.00 0.200 / 5.00 0.600"));
    EXPECT_EQ(read_file("Q100_Meta_peak_Q.out.csv"),
              "Time (min)  ,60,90\n\"Sub_1\",           2.000,           3.000\n");
  }
}

// A file of the older layout: storms listed in a storm block.
std::string storm_block(const std::string& version, const std::string& count) {
  std::string f =
      "#####START_META_FILE######\n" + version + "#####END_META_FILE########\n#####START_STORM_BLOCK\n" + count;
  for (const auto& [k, minutes, peak] : {std::tuple{"1", "30", "4.0"}, std::tuple{"2", "60", "7.5"}})
    f += std::string("#####START_STORM#") + k + "\nDesign storm ARI " + minutes +
         " Mins\n#####START_HYDROGRAPHS_SubA\nheading\n0 0 0 0 0 1 0 0 2\n10 0 0 0 0 1 1 0 " + peak +
         "\n#####START_PEAK_SUMMARY\n1\n2\n3\n4\n5\n6\nSubA         1 2 3 4 5 6 7 " + peak + "\n#####END_STORM#" + k +
         "\n";
  return f;
}

TEST(WbnmDurations, StormsOfTheStormBlock) {
  ScratchDir dir;
  write_file("Q.out", storm_block("WBNM Version: 2017_1b - x\n", "   2  storms\n"));
  const RunResult r = flowtab({"-mw", "-b", "Q.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(holds(r.output, opened_input("Q.out") +
                                  "\nMultiple Duration Switch Enabled WBNM out file version: 2017102\n"
                                  "\nA total of 2 storms were identified in the storm block.\n"
                                  " Multiple WBMN Event Names Sucessfully Read:\n"
                                  "\nDuration 30 mins was identified.\n\nDuration 60 mins was identified.\n"
                                  "   TS1 Total Hydrographs Output File Based On: Q_30min_tot.ts1\n"));
  EXPECT_EQ(read_file("Q_60min_tot.ts1"), ts1_file("Q.out", "SubA", 2, {2}, grid("0.00 2.000 / 10.00 7.500")));
  EXPECT_EQ(read_file("Q_peak_Q.out.csv"), "Time (min)  ,30,60\n\"SubA\",           4.000,           7.500\n");
}

TEST(WbnmDurations, UnusableFilesEndTheRunBeforeAnyOutput) {
  const std::string issue = "\nIssue with Storm Block in file: Q.out .\n";
  const auto storms = [](const std::string& count) { return storm_block("WBNM Version: 2017_1b - x\n", count); };
  const struct {
    std::string file, tail;
  } cases[] = {
      {storms("  -3\n"), issue},
      {storms(" , 2\n"), issue},
      {storms("/\n"), issue},
      {storms("two\n"), issue},
      {"#####START_META_FILE######\nWBNM Version: 2017_1b - x\n#####END_META_FILE\n#####START_STORM_BLOCK", issue},
      {"#####START_META_FILE######\n#####END_META_FILE\n",
       "WBNM out file version: -1\n"
       "ERROR - #####START_STORM_BLOCK not found, possible format error within wbnm out file \n" +
           issue},
      {storms("3\n"), "\nIssue with populating event names within: Q.out .\n"},
      {"no meta block\n",
       "ERROR - START_META_FILE###### not found, possible format error within wbnm out file \n"
       "\nMultiple Duration Switch Enabled \nERROR finding #####START_META_FILE in file: Q.out .\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file("Q.out", c.file);
    const RunResult r = flowtab({"-mw", "-b", "Q.out"});
    EXPECT_EQ(r.status, 1) << c.file;
    EXPECT_TRUE(ends_with(r.output, c.tail + kPause));
    EXPECT_FALSE(holds(r.output, "Output File"));
  }
}

TEST(WbnmDurations, SimulationWithoutHydrographsEndsTheCountLine) {
  ScratchDir dir;
  const std::string missing = "ERROR - #####START_HYDROGRAPHS not found, possible format error within wbnm out file \n";
  // The message continues the line of simulation numbers.
  write_file("Q.out", kSimulations.substr(0, kSimulations.find("#####START_SIMULATION: 90")) +
                          "#####START_SIMULATION: 90\n#####END_OF_FILE\n");
  RunResult r = flowtab({"-mw", "-b", "Q.out"});
  EXPECT_TRUE(holds(r.output,
                    "Counting events... \n           4 " + missing +
                        "\nA total of 1 storms were identified in the storm block.\nCollecting event names... \n60\n"));
  // Without any simulation it stands on a line of its own.
  write_file("Q.out", "#####START_META_FILE######\nWBNM Version: 2019_1 - x\n#####END_META_FILE\n");
  r = flowtab({"-mw", "-b", "Q.out"});
  EXPECT_EQ(r.status, 1);  // the run goes on, but a script must see the failure
  EXPECT_TRUE(holds(r.output, "Counting events... \n" + missing +
                                  "\nA total of 0 storms were identified in the storm block.\n"
                                  "Collecting event names... \n Multiple WBMN Event Names Sucessfully Read:\n" +
                                  closed(1001)));
  EXPECT_EQ(read_file("Q_peak_Q.out.csv"), "Time (min)  \n");
}

// Names that repeat warn for both outputs of the pair; the later event's outputs replace the earlier's.
TEST(WbnmDurations, EventNamesThatDoNotMakeDistinctFileNames) {
  ScratchDir dir;
  std::string f = kSimulations;
  f.replace(f.find("90 (Run 2)"), 10, "60 (Run 2)");
  write_file("Q100_Meta.out", f);
  const RunResult r = flowtab({"-mw", "-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(holds(r.output,
                    "   TS1 Total Hydrographs Output File Based On: Q100_Meta_60min_tot.ts1\n"
                    "WARNING - Output file name repeated within one input file: Q100_Meta_60min_tot.ts1\n"
                    "   TS1 Local Hydrographs Output File Based On: Q100_Meta_60min_loc.ts1\n"
                    "WARNING - Output file name repeated within one input file: Q100_Meta_60min_loc.ts1\n"
                    "...Closed"));
  EXPECT_TRUE(ends_with(read_file("Q100_Meta_60min_tot.ts1"), grid("0.00 1.500 / 5.00 3.000")));
}

// ---- XP-RAFTS ------------------------------------------------------------

const std::string kStorm =
    "    1    2    3       5.0\n          Node_A\n       1.500       2.750       0.500\n"
    "          Node_B\n       0.250       1.000       3.125\n";

TEST(RaftsConversion, SingleStormFileWithTrailingBlankLines) {
  ScratchDir dir;
  expect_ts1_run("-rafts", "Q100.tot", kStorm + "  \t\n\n",
                 "...Reading RAFTS Hydrograph: Node_A (5g12 format)...\n...Finished Extracting Data\n"
                 "...Reading RAFTS Hydrograph: Node_B (5g12 format)...\n...Finished Extracting Data\n" +
                     axis("        5.00", "       15.00", "    5.0000", "     3"),
                 ts1_file("Q100.tot", "Node_A,Node_B", 3, {3, 3},
                          grid("5.00 1.500 0.250 / 10.00 2.750 1.000 / 15.00 0.500 3.125")),
                 "Q100_peak_Q.tot.csv",
                 "\"ID\",\"Q Peak\"\n\"Node_A\",           2.750\n\"Node_B\",           3.125\n");
}

TEST(RaftsConversion, FirstRecordThatIsNoStormHeaderEndsTheRunBeforeAnyOutput) {
  for (const std::string& file : {std::string(), "\n" + kStorm, std::string("    1    0    3       5.0\n")}) {
    ScratchDir dir;
    write_file("Q100.tot", file);
    const RunResult r = flowtab({"-rafts", "-b", "Q100.tot"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, kHead + "\nConverting to .ts1: Q100.tot\n" + read_error(1) + kPause);
  }
}

// ---- XP-RAFTS -mr --------------------------------------------------------

const std::string kStorms =
    "    1    1    2       5.0\n          N1\n       1.000       2.000\n"
    "    2    1    3      10.0\n          N1\n       0.500       4.000       1.000\n";

// The storm lines after the names, for a first storm of kStorms and the
// second as given.
std::string storm_lines(const std::string& second = "1 Number of Time Increments = 3 Time Increment = 10..") {
  return "\nAllocated RAFTS Storm Information Arrays - Successful.\n"
         "\nStorm: 1 - Number of Subcatchments = 1 Number of Time Increments = 2 Time Increment = 5..\n"
         "\nStorm: 2 - Number of Subcatchments = " +
         second + "\n";
}

RunResult run_storms(const std::string& file, const std::string& names, const std::string& option = "-b") {
  write_file("Q100.tot", file);
  write_file("events.txt", names);
  return flowtab({"-rafts", "-mr", "events.txt", "-b", option, "Q100.tot"});
}

TEST(RaftsStorms, OneOutputAndOnePeakColumnPerStorm) {
  ScratchDir dir;
  const RunResult r = run_storms(kStorms, "E1\nE2\n");
  EXPECT_EQ(r.status, 0);
  const auto storm = [](int k, const std::string& rows) {
    return opened_output("Q100_E" + std::to_string(k) + ".tot.ts1", 1002) +
           "\nConverting...\n...Reading RAFTS Hydrograph: N1 (5g12 format)...\n"
           "...Finished Extracting Data for storm: " +
           std::to_string(k) + "\n" + rows + closed(1002);
  };
  EXPECT_EQ(r.output, kHead +
                          "\nConverting to .ts1: Q100.tot\n\nMultiple Duration Switch Enabled \nTrying to open file "
                          "Q100.tot...OK.\nOpened File Unit:1001\n"
                          "\nA total of 2 storms were identified in the rafts loc or tot file.\n"
                          "\nGetting event names from: events.txt\n" +
                          opened_input("events.txt", 1002) + "\nNumber of events found: 2\n" + closed(1002) +
                          storm_lines() +
                          "   TS1 Total Hydrographs Output File Based On: Q100_E1.tot.ts1\n"
                          "   TS1 Total Hydrographs Output File Based On: Q100_E2.tot.ts1\n" +
                          closed(1001) + opened_input("Q100.tot") +
                          storm(1, written("        5.00", "       10.00", "    5.0000", "     2")) +
                          storm(2, written("       10.00", "       30.00", "   10.0000", "     3")) + closed(1001) +
                          "Debug - wbnm event count: 2 size of event list: ,2\n" +
                          opened_output("Q100_peak_Q.tot.csv", 1001) + closed(1001) + "\nFinished.\n");
  EXPECT_EQ(read_file("Q100_E1.tot.ts1"), ts1_file("Q100.tot", "N1", 2, {2}, grid("5.00 1.000 / 10.00 2.000")));
  EXPECT_EQ(read_file("Q100_E2.tot.ts1"),
            ts1_file("Q100.tot", "N1", 3, {3}, grid("10.00 0.500 / 20.00 4.000 / 30.00 1.000")));
  EXPECT_EQ(read_file("Q100_peak_Q.tot.csv"), "Time (min)  ,E1,E2\n\"N1\",           2.000,           4.000\n");

  // With -csv: a .csv file per storm, times and the peak table's heading in hours.
  for (const std::string& f : files_here()) std::filesystem::remove(f);  // the inputs are written again
  EXPECT_EQ(run_storms(kStorms, "E1\nE2\n", "-csv").status, 0);
  EXPECT_EQ(files_here(), (std::set<std::string>{"Q100.tot", "events.txt", "Q100_E1.tot.csv", "Q100_E2.tot.csv",
                                                 "Q100_peak_Q.tot.csv"}));
  EXPECT_EQ(read_file("Q100_E2.tot.csv"), "Time (hr)   ,N1\n" + grid("0.1667 0.500 / 0.3333 4.000 / 0.5000 1.000"));
  EXPECT_EQ(read_file("Q100_peak_Q.tot.csv"), "Time (hr)   ,E1,E2\n\"N1\",           2.000,           4.000\n");
}

TEST(RaftsStorms, LaterStormWithMoreIncrementsAndStormsOutOfOrder) {
  ScratchDir dir;
  // Storm 2 has seven increments (more than storm 1 has room for in a fixed
  // table), and the storms are numbered 2 and 1.
  const std::string f =
      "    2    1    2       5.0\n          N1\n       1.000       2.000\n"
      "    1    2    7       2.5\n          N1\n       0.500       4.000       1.000       3.000       2.000\n"
      "       1.000       9.000\n          N2\n       1.000       2.000       3.000       4.000       5.000\n"
      "       6.000       7.000\n\n\n";
  const RunResult r = run_storms(f, "E1\n\n  ,  \n\t/\n");
  EXPECT_EQ(r.status, 1);  // the names file's blank lines are its end: one name for two storms
  EXPECT_TRUE(
      holds(r.output,
            "Opened File Unit:1001\n"
            "WARNING - Storm numbers do not follow the order of the storms; using the order of the storm headers.\n"
            "\nA total of 2 storms were identified in the rafts loc or tot file.\n"));
  EXPECT_TRUE(ends_with(r.output, "\nNumber of events found: 1\n" + closed(1002) +
                                      "\nERROR - The 2 events identified in Q100.tot is greater than the number of "
                                      "events specified within events.txt\n" +
                                      kPause));
  const RunResult ok = run_storms(f, "E1\n'E2'\n");
  EXPECT_EQ(ok.status, 0) << ok.output;
  EXPECT_TRUE(holds(ok.output, storm_lines("2 Number of Time Increments = 7 Time Increment = 2.5.")));
  EXPECT_EQ(read_file("Q100_E2.tot.ts1"),
            ts1_file("Q100.tot", "N1,N2", 7, {7, 7},
                     grid("2.50 0.500 1.000 / 5.00 4.000 2.000 / 7.50 1.000 3.000 / 10.00 3.000 4.000 / "
                          "12.50 2.000 5.000 / 15.00 1.000 6.000 / 17.50 9.000 7.000")));
  // N2 is missing from the first storm.
  EXPECT_EQ(read_file("Q100_peak_Q.tot.csv"),
            "Time (min)  ,E1,E2\n\"N1\",           2.000,           9.000\n\"N2\",      -99999.000,           7.000\n");
}

TEST(RaftsStorms, NamesFileAndHeaderFaultsEndTheRun) {
  const std::string less =
      "\nERROR - The 2 events identified in Q100.tot is less than the number of events "
      "specified within events.txt\n";
  const struct {
    std::string file, names, tail;
  } cases[] = {
      {kStorms, "E1\nE2\nE3\n", "Opened File Unit:1002\n" + less},
      {kStorms, "E1\nE2\n\n", ""},  // a trailing blank line is the end of the names
      {kStorms, "E1\n\nE2\n", "Opened File Unit:1002\nERROR - Reading argument value: Q100.tot\n"},
      {kStorms.substr(0, 64) + "    2    1    3      ,10.\n", "E1\nE2\n", "Opened File Unit:1001\n" + read_error(4)},
      {kStorms.substr(0, 64) + "    2    1   -3      10.\n", "E1\nE2\n", "Opened File Unit:1001\n" + read_error(4)},
      {kStorms + "          N1\n", "E1\nE2\n", "Opened File Unit:1001\n" + read_error(7)},
      {"", "",
       "\nNumber of events found: 0\n" + closed(1002) + "\nAllocated RAFTS Storm Information Arrays - Successful.\n" +
           read_error(1)},
      {" \n\n", "E1\n",
       "Opened File Unit:1002\n\nERROR - The 0 events identified in Q100.tot is less than the "
       "number of events specified within events.txt\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const RunResult r = run_storms(c.file, c.names);
    EXPECT_EQ(r.status, c.tail.empty() ? 0 : 1) << c.file << c.names;
    if (!c.tail.empty()) {
      EXPECT_TRUE(ends_with(r.output, c.tail + kPause));
    }
  }
}

TEST(RaftsStorms, EventNamesThatCannotOrDoNotMakeDistinctFileNames) {
  ScratchDir dir;
  const std::string again = "          N1\n       1.000       2.000\n";
  const std::string f = kStorms + "    3    1    2       5.0\n" + again + "    4    1    2       5.0\n" + again;
  // A null first value gives a blank name; later values are not names.
  RunResult r = run_storms(f, ",E1\nE1 E2\n'E1',x\nE1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(holds(r.output,
                    "   TS1 Total Hydrographs Output File Based On: Q100_.tot.ts1\n"
                    "   TS1 Total Hydrographs Output File Based On: Q100_E1.tot.ts1\n"
                    "   TS1 Total Hydrographs Output File Based On: Q100_E1.tot.ts1\n"
                    "WARNING - Output file name repeated within one input file: Q100_E1.tot.ts1\n"
                    "   TS1 Total Hydrographs Output File Based On: Q100_E1.tot.ts1\n" +
                        closed(1001)));
  EXPECT_EQ(read_file("Q100_peak_Q.tot.csv"),
            "Time (min)  ,,E1,E1,E1\n\"N1\",           2.000,           4.000,           2.000,           2.000\n");
  // A folder separator in a name ends the run before anything is converted.
  for (const std::string bad : {"a\\b", "a/b"}) {
    r = run_storms(f, "E1\n'" + bad + "'\nE3\nE4\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.output, "Based On: Q100_E1.tot.ts1\nERROR - Event name cannot be used in a file name: " +
                                        bad + "\n" + kPause));
  }
  // .ts2 refuses multiple events before it looks at the names.
  r = run_storms(f, "E1\n'a\\b'\nE3\nE4\n", "-ts2");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      ends_with(r.output, "\n   TS2 Output Format not supported for WBNM format or multiple event switch.\n" + kPause));
}

}  // namespace

// Whole conversions of WBNM files as users run them: the console transcript
// and every file written, byte for byte.
#include <gtest/gtest.h>

#include "test_support.h"
#include "transcript_support.h"

namespace {

using testing_support::read_file;
using testing_support::RunResult;
using testing_support::ScratchDir;
using testing_support::write_file;

using transcript::closed;
using transcript::flowtab;
using transcript::kBanner;
using transcript::kCreated;
using transcript::opened_input;
using transcript::opened_output;

// A single-duration file: two subareas, three steps, a peak summary.
const std::string kQ100 =
    "#####START_META_FILE######\n"
    "WBNM Version: 2017_1b - test file\n"
    "#####END_META_FILE########\n"
    "#####START_STORM#1\n"
    "#####START_HYDROGRAPHS_SubA\n"
    "  Time  c2 c3 c4 c5 c6 c7 c8 c9\n"
    "  0.0  0 0 0 0  0.10  0.20  0 0.30\n"
    "  5.0  0 0 0 0  1.00  0.50  0 2.00\n"
    " 10.0  0 0 0 0  0.25  0.25  0 1.25\n"
    "#####END_HYDROGRAPHS_SubA\n"
    "#####START_HYDROGRAPHS_SubB\n"
    " heading\n"
    "  0.0  0 0 0 0  0.0  0.0  0 0.50\n"
    "  5.0  0 0 0 0  0.4  0.1  0 3.50\n"
    " 10.0  0 0 0 0  0.2  0.0  0 4.75\n"
    "#####END_HYDROGRAPHS_SubB\n"
    "#####START_PEAK_SUMMARY\n"
    "skip\nskip\nskip\nskip\nskip\nskip\n"
    "SubA           1 2 3 4 5 6 7 2.000 9\n"
    "SubB           1 2 3 4 5 6 7 4.750 9\n"
    "#####END_PEAK_SUMMARY\n"
    "#####END_STORM#1\n";


// How the outputs of a WBNM file are named and written in one format.
struct PairFormat {
  std::string format;            // ".ts1", ".csv"
  std::string tot_label, loc_label;
  std::string tot, loc;          // output names
  std::string writing;           // the writer's console lines
};

PairFormat ts1_pair(const std::string& stem) {
  return {".ts1", "   TS1 Total Hydrographs Output File: ", "   TS1 Local Hydrographs Output File: ",
          stem + "_tot.ts1", stem + "_loc.ts1", "\nWriting to .ts1 file...\n"};
}

PairFormat csv_pair(const std::string& input) {
  return {".csv", "   CSV Output File: ", "   CSV Output File: ", input + "_tot.csv", input + "_loc.csv",
          "\nWriting to .csv file...\n"};
}

// Transcript of one file converted from start to end.
std::string converted_as(const PairFormat& f, const std::string& input, const std::string& stem,
                         const std::string& ext, const std::string& reading, const std::string& axis) {
  return "\nConverting to " + f.format + ": " + input + "\n" + opened_input(input) + f.tot_label + f.tot + "\n" +
         f.loc_label + f.loc + "\n" + closed(1001) + opened_input(input) + opened_output(f.tot, 1002) +
         opened_output(f.loc, 1003) + "\nConverting...\n" + reading + axis + f.writing + closed(1002) +
         closed(1003) + closed(1001) + opened_output(stem + "_peak_Q" + ext + ".csv", 1001) + closed(1001);
}

std::string converted(const std::string& input, const std::string& stem, const std::string& ext,
                      const std::string& reading, const std::string& axis) {
  return converted_as(ts1_pair(stem), input, stem, ext, reading, axis);
}

const std::string kQ100Axis =
    "\nMinimum time:        0.00\nMaximum time:       10.00\nTime increment:    5.0000\nMax increments:     3\n";
const std::string kQ100Reading = "...Reading WBNM Hydrograph: SubA\n...Reading WBNM Hydrograph: SubB\n";

TEST(WbnmConversion, SingleDurationFile) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  const RunResult r = flowtab({"-wbnm", "-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, kBanner + "Found 1 input files\n" +
                          converted("Q100_Meta.out", "Q100_Meta", ".out", kQ100Reading, kQ100Axis) + "\nFinished.\n");
  EXPECT_EQ(read_file("Q100_Meta_tot.ts1"),
            "! File created from: Q100_Meta.out" + kCreated +
                "         2,         3\n"
                "Start_Index ,           1,           1\n"
                "End_Index   ,           3,           3\n"
                "Time (min)  ,SubA,SubB\n"
                "        0.00,       0.300,       0.500\n"
                "        5.00,       2.000,       3.500\n"
                "       10.00,       1.250,       4.750\n");
  EXPECT_EQ(read_file("Q100_Meta_loc.ts1"),
            "! File created from: Q100_Meta.out\n"
            "         2,         3\n"
            "Start_Index ,           1,           1\n"
            "End_Index   ,           3,           3\n"
            "Time (min)  ,SubA,SubB\n"
            "        0.00,       0.300,       0.000\n"
            "        5.00,       1.500,       0.500\n"
            "       10.00,       0.500,       0.200\n");
  EXPECT_EQ(read_file("Q100_Meta_peak_Q.out.csv"),
            "\"ID\",\"Q Peak\"\n"
            "\"SubA\",           2.000\n"
            "\"SubB\",           4.750\n");
}

TEST(WbnmConversion, WithoutBatchTheRunEndsWithThePause) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  const RunResult r = flowtab({"Q100_Meta.out"});
  EXPECT_EQ(r.status, 0);
  const std::string tail = "\nFinished.\n\nPress Enter to Close\n";
  ASSERT_GE(r.output.size(), tail.size());
  EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail);
}

TEST(WbnmConversion, ZeroRowsAtBothEnds) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  const RunResult r = flowtab({"-s0", "-e0", "-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, kBanner + "Found 1 input files\n" +
                          converted("Q100_Meta.out", "Q100_Meta", ".out", kQ100Reading, kQ100Axis) + "\nFinished.\n");
  EXPECT_EQ(read_file("Q100_Meta_tot.ts1"),
            "! File created from: Q100_Meta.out" + kCreated +
                "! Zero flow added at beginning of hydrographs\n"
                "! Zero flow added at end of hydrographs\n"
                "         2,         5\n"
                "Start_Index ,           1,           1\n"
                "End_Index   ,           5,           5\n"
                "Time (min)  ,SubA,SubB\n"
                "       -5.00,       0.000,       0.000\n"
                "        0.00,       0.300,       0.500\n"
                "        5.00,       2.000,       3.500\n"
                "       10.00,       1.250,       4.750\n"
                "       15.00,       0.000,       0.000\n");
  EXPECT_EQ(read_file("Q100_Meta_loc.ts1"),
            "! Zero flow added at beginning of hydrographs\n"
            "! Zero flow added at end of hydrographs\n"
            "! File created from: Q100_Meta.out\n"
            "         2,         5\n"
            "Start_Index ,           1,           1\n"
            "End_Index   ,           5,           5\n"
            "Time (min)  ,SubA,SubB\n"
            "       -5.00,       0.000,       0.000\n"
            "        0.00,       0.300,       0.000\n"
            "        5.00,       1.500,       0.500\n"
            "       10.00,       0.500,       0.200\n"
            "       15.00,       0.000,       0.000\n");
}


// A WBNM file from blocks of (time, local flow, total flow) rows.
std::string wbnm_file(const std::string& version, const std::vector<std::pair<std::string, std::string>>& blocks,
                      const std::string& summary = "") {
  std::string f = "#####START_META_FILE######\nWBNM Version: " + version + " - x\n#####END_META_FILE####\n";
  f += "#####START_STORM#1\n";
  for (const auto& [name, rows] : blocks)
    f += "#####START_HYDROGRAPHS_" + name + "\nheading\n" + rows + "#####END_HYDROGRAPHS_" + name + "\n";
  if (!summary.empty()) f += "#####START_PEAK_SUMMARY\n1\n2\n3\n4\n5\n6\n" + summary + "#####END_PEAK_SUMMARY\n";
  f += "#####END_STORM#1\n";
  return f;
}

std::string row(const std::string& t, const std::string& local, const std::string& total) {
  return t + " 0 0 0 0 " + local + " 0 0 " + total + "\n";
}

TEST(WbnmConversion, SeriesOfDifferentSpans) {
  ScratchDir dir;
  write_file("span.out",
             wbnm_file("2017_1", {{"A", row("0", "1", "1") + row("5", "1", "2") + row("10", "1", "3") +
                                            row("15", "1", "4") + row("20", "1", "5")},
                                  {"B", row("5", "2", "7") + row("10", "2", "8.5") + row("15", "2", "9.25")}}));
  const RunResult r = flowtab({"-b", "span.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("\nMinimum time:        0.00\nMaximum time:       20.00\nTime increment:    5.0000\n"
                          "Max increments:     5\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(read_file("span_tot.ts1"),
            "! File created from: span.out" + kCreated +
                "         2,         5\n"
                "Start_Index ,           1,           2\n"
                "End_Index   ,           5,           4\n"
                "Time (min)  ,A,B\n"
                "        0.00,       1.000,            \n"
                "        5.00,       2.000,       7.000\n"
                "       10.00,       3.000,       8.500\n"
                "       15.00,       4.000,       9.250\n"
                "       20.00,       5.000,            \n");
  EXPECT_EQ(read_file("span_loc.ts1").substr(read_file("span_loc.ts1").find("        0.00")),
            "        0.00,       1.000,            \n"
            "        5.00,       1.000,       2.000\n"
            "       10.00,       1.000,       2.000\n"
            "       15.00,       1.000,       2.000\n"
            "       20.00,       1.000,            \n");
  // No peak summary: the table holds only its first record.
  EXPECT_EQ(read_file("span_peak_Q.out.csv"), "\"ID\",\"Q Peak\"\n");
}

TEST(WbnmConversion, Version2019WithoutMwSkipsOnlyThatFile) {
  ScratchDir dir;
  write_file("a.out", wbnm_file("2019_3 Beta", {{"X", row("0", "1", "1") + row("5", "1", "2")}}));
  write_file("b.out", wbnm_file("2018_9h", {{"Y", row("0", "1", "1") + row("5", "1", "2")}}));
  const RunResult r = flowtab({"-b", "*.out"});
  EXPECT_EQ(r.status, 1);  // the later file is converted, the refused one is reported
  const std::string axis =
      "\nMinimum time:        0.00\nMaximum time:        5.00\nTime increment:    5.0000\nMax increments:     2\n";
  EXPECT_EQ(r.output, kBanner + "Found 2 input files\n" + "\nConverting to .ts1: a.out\n" + opened_input("a.out") +
                          "WBNM 2019 version or later should use -mw switch... exiting\n" + closed(1001) +
                          converted("b.out", "b", ".out", "...Reading WBNM Hydrograph: Y\n", axis) +
                          "\nFinished.\n");
  EXPECT_FALSE(std::filesystem::exists("a_tot.ts1"));
  EXPECT_FALSE(std::filesystem::exists("a_peak_Q.out.csv"));
  EXPECT_TRUE(std::filesystem::exists("b_tot.ts1"));
}

TEST(WbnmConversion, SeveralPatternsAndOneThatMatchesNothing) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  write_file("Q050_Meta.OUT", kQ100);
  const RunResult r = flowtab({"-b", "nothing*.out", "Q100_Meta.out", "Q0*", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);  // the files that matched are converted, but one pattern matched nothing
  const std::string once = converted("Q100_Meta.out", "Q100_Meta", ".out", kQ100Reading, kQ100Axis);
  EXPECT_EQ(r.output, kBanner + "Found 3 input files\n" + once +
                          converted("Q050_Meta.OUT", "Q050_Meta", ".out", kQ100Reading, kQ100Axis) + once +
                          "\nFinished.\n");
  EXPECT_TRUE(std::filesystem::exists("Q050_Meta_peak_Q.out.csv"));
}

TEST(WbnmConversion, NothingMatched) {
  ScratchDir dir;
  const RunResult r = flowtab({"-b", "*.out", "missing/*.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kBanner + "Found 0 input files\n\nFinished.\n");
  // Without -b the pause comes first, and the status is the same.
  const RunResult paused = flowtab({"*.out"});
  EXPECT_EQ(paused.status, 1);
  EXPECT_EQ(paused.output, kBanner + "Found 0 input files\n\nFinished.\n\nPress Enter to Close\n");
}

TEST(WbnmConversion, ReadErrorInADataLineEndsTheRun) {
  ScratchDir dir;
  std::string bad = kQ100;
  bad.replace(bad.find(" 10.0  0 0 0 0  0.25  0.25"), 27, " 10.0  0 0 0 0  0.25  x.25");
  write_file("Q100_Meta.out", bad);
  const RunResult r = flowtab({"-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);
  const std::string tail =
      "\nConverting...\n...Reading WBNM Hydrograph: SubA\nERROR - Reading input file at line           9\n"
      "\nPress Enter to Close\n";
  ASSERT_GE(r.output.size(), tail.size());
  EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail);
  EXPECT_EQ(read_file("Q100_Meta_tot.ts1"), "");
  EXPECT_FALSE(std::filesystem::exists("Q100_Meta_peak_Q.out.csv"));
}

TEST(WbnmConversion, DataLineWithEightNumbersIsAReadError) {
  ScratchDir dir;
  write_file("short.out", wbnm_file("2017_1", {{"A", row("0", "1", "1") + "5 0 0 0 0 1 0 0\n"}}));
  const RunResult r = flowtab({"-b", "short.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("ERROR - Reading input file at line           8\n"), std::string::npos) << r.output;
}

TEST(WbnmConversion, PeakSummaryNamesThatDifferOnlyInCaseShareARow) {
  ScratchDir dir;
  write_file("pk.out", wbnm_file("2017_1", {{"A", row("0", "1", "1") + row("5", "1", "2")}},
                                  "SubA         1 2 3 4 5 6 7 2.000 9\n"
                                  "  suba       1 2 3 4 5 6 7 3.500 9\n"
                                  "SUBA         1 2 3 4 5 6 7 1.000 9\n"
                                  "Sub B        1,2,3,4,5,6,7,12.25\n"
                                  "'SubA'       1 2 3 4 5 6 7 3.500 9\n"));
  const RunResult r = flowtab({"-b", "pk.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("pk_peak_Q.out.csv"),
            "\"ID\",\"Q Peak\"\n"
            "\"SubA\",           3.500\n"
            "\"Sub B\",          12.250\n");
}

TEST(WbnmConversion, BlocksWithoutSeparatorsAndALastDataLineAreKept) {
  ScratchDir dir;
  write_file("tight.out",
             "#####START_META_FILE######\nWBNM Version: 2017_1 - x\n#####END_META_FILE####\n"
             "#####START_STORM#1\n"
             "#####START_HYDROGRAPHS_A\nheading\n" + row("0", "1", "1") + row("5", "1", "2") +
                 "#####START_HYDROGRAPHS_B\nheading\n" + row("0", "1", "3") + "5 0 0 0 0 1 0 0 4");
  const RunResult r = flowtab({"-b", "tight.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(read_file("tight_tot.ts1"),
            "! File created from: tight.out" + kCreated +
                "         2,         2\n"
                "Start_Index ,           1,           1\n"
                "End_Index   ,           2,           2\n"
                "Time (min)  ,A,B\n"
                "        0.00,       1.000,       3.000\n"
                "        5.00,       2.000,       4.000\n");
}

TEST(WbnmConversion, PatternWithAFolderReadsThatFolder) {
  ScratchDir dir;
  std::filesystem::create_directory("data");
  write_file("data/Q100_Meta.out", kQ100);
  write_file("Q100_Meta.out", "not this one\n");
  const RunResult r = flowtab({"-b", "data/*.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("\nConverting to .ts1: Q100_Meta.out\n\nTrying to open file data/Q100_Meta.out...OK."),
            std::string::npos)
      << r.output;
  EXPECT_EQ(read_file("Q100_Meta_peak_Q.out.csv"), "\"ID\",\"Q Peak\"\n\"SubA\",           2.000\n\"SubB\",           4.750\n");
  EXPECT_FALSE(std::filesystem::exists("data/Q100_Meta_tot.ts1"));
}

TEST(WbnmConversion, UnreadableVersionLineIsReportedAndTheRunGoesOn) {
  ScratchDir dir;
  std::string f = kQ100;
  f.replace(f.find("WBNM Version: 2017_1b - test file"), 33, "WBNM Version :2017_001");
  write_file("Q100_Meta.out", f);
  const RunResult r = flowtab({"-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find(opened_input("Q100_Meta.out") +
                          "WARNING - Could not read WBNM version: WBNM Version :2017_001\n"
                          "   TS1 Total Hydrographs Output File: Q100_Meta_tot.ts1\n"),
            std::string::npos)
      << r.output;
  EXPECT_TRUE(std::filesystem::exists("Q100_Meta_tot.ts1"));
}

TEST(WbnmConversion, AnOutputThatCannotBeWrittenEndsTheRun) {
  const std::pair<std::string, std::string> cases[] = {
      {"-ts1", "Q100_Meta_tot.ts1"},
      {"-csv", "Q100_Meta.out_tot.csv"},
  };
  for (const auto& [format, output] : cases) {
    ScratchDir dir;
    write_file("Q100_Meta.out", kQ100);
    // Every write to this output fails as on a full disk.
    std::filesystem::create_symlink("/dev/full", output);
    const RunResult r = flowtab({format, "-b", "Q100_Meta.out"});
    EXPECT_EQ(r.status, 1);
    const std::string tail = "\nWriting to ." + format.substr(1) + " file...\n\nERROR - Writing output file " +
                             output + "\n\nPress Enter to Close\n";
    ASSERT_GE(r.output.size(), tail.size());
    EXPECT_EQ(r.output.substr(r.output.size() - tail.size()), tail);
    EXPECT_FALSE(std::filesystem::exists("Q100_Meta_peak_Q.out.csv"));
  }
}

TEST(WbnmConversion, CsvPairWithTimesInHours) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  const RunResult r = flowtab({"-csv", "-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, kBanner + "Found 1 input files\n" +
                          converted_as(csv_pair("Q100_Meta.out"), "Q100_Meta.out", "Q100_Meta", ".out",
                                       kQ100Reading, kQ100Axis) +
                          "\nFinished.\n");
  EXPECT_EQ(read_file("Q100_Meta.out_tot.csv"),
            "Time (hr)   ,SubA,SubB\n"
            "      0.0000,       0.300,       0.500\n"
            "      0.0833,       2.000,       3.500\n"
            "      0.1667,       1.250,       4.750\n");
  EXPECT_EQ(read_file("Q100_Meta.out_loc.csv"),
            "Time (hr)   ,SubA,SubB\n"
            "      0.0000,       0.300,       0.000\n"
            "      0.0833,       1.500,       0.500\n"
            "      0.1667,       0.500,       0.200\n");
}

TEST(WbnmConversion, CsvBlocksOfOneColumnWithZeroRows) {
  ScratchDir dir;
  write_file("span.out", wbnm_file("2017_1", {{"A", row("0", "1", "1") + row("5", "1", "2")},
                                              {"B", row("5", "2.5", "8.5")}}));  // B starts one step late
  const RunResult r = flowtab({"-csv", "-col1", "-s0", "-e0", "-b", "span.out"});
  EXPECT_EQ(r.status, 0);
  const auto file = [](const std::string& a1, const std::string& a2, const std::string& b) {
    return "Time (hr)   ,A\n     -0.0833,       0.000\n      0.0000,       " + a1 + "\n      0.0833,       " + a2 +
           "\n      0.1667,       0.000\n\nTime (hr)   ,B\n     -0.0833,            \n      0.0000,       0.000\n"
           "      0.0833,       " + b + "\n      0.1667,       0.000\n";
  };
  EXPECT_EQ(read_file("span.out_tot.csv"), file("1.000", "2.000", "8.500"));
  EXPECT_EQ(read_file("span.out_loc.csv"), file("1.000", "1.000", "2.500"));
}

TEST(WbnmConversion, Ts2IsRefusedForWbnmInput) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  const RunResult r = flowtab({"-ts2", "-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kBanner + "Found 1 input files\n\nConverting to .ts2: Q100_Meta.out\n" +
                          opened_input("Q100_Meta.out") +
                          "   TS2 Output Format not supported for WBNM format or multiple event switch.\n"
                          "\nPress Enter to Close\n");
  EXPECT_FALSE(std::filesystem::exists("Q100_Meta.out.ts2"));
  EXPECT_FALSE(std::filesystem::exists("Q100_Meta_peak_Q.out.csv"));
}

// A file without its meta-file block is still read, but the run reports it.
TEST(WbnmConversion, MissingMetaBlockIsAFailureTheRunGoesOnPast) {
  ScratchDir dir;
  std::string file = kQ100;
  file.erase(0, file.find("#####START_STORM#1"));
  write_file("Q100_Meta.out", file);
  const RunResult r = flowtab({"-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("\nERROR - START_META_FILE###### not found, possible format error within wbnm out file \n"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::exists("Q100_Meta_peak_Q.out.csv"));
}

}  // namespace

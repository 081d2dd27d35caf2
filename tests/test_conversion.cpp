// Whole conversions of WBNM files as users run them: the console transcript
// and every file written, byte for byte.
#include <gtest/gtest.h>

#include "transcript_support.h"

namespace {

using namespace transcript;

// A WBNM file from blocks of data lines (time, four fields, local flow in the
// sixth and seventh, total flow in the ninth).
std::string wbnm_file(const std::string& version, const std::vector<std::pair<std::string, std::string>>& blocks,
                      const std::string& summary = "") {
  std::string f = "#####START_META_FILE######\nWBNM Version: " + version + " - x\n#####END_META_FILE####\n";
  f += "#####START_STORM#1\n";
  for (const auto& [name, rows] : blocks)
    f += "#####START_HYDROGRAPHS_" + name + "\nheading\n" + rows + "#####END_HYDROGRAPHS_" + name + "\n";
  if (!summary.empty()) f += "#####START_PEAK_SUMMARY\n1\n2\n3\n4\n5\n6\n" + summary + "#####END_PEAK_SUMMARY\n";
  return f + "#####END_STORM#1\n";
}

std::string row(const std::string& t, const std::string& local, const std::string& total) {
  return t + " 0 0 0 0 " + local + " 0 0 " + total + "\n";
}

// A single-duration file: two subareas, three steps, a peak summary.
const std::string kQ100 = wbnm_file(
    "2017_1b",
    {{"SubA",
      "  0.0  0 0 0 0  0.10  0.20  0 0.30\n  5.0  0 0 0 0  1.00  0.50  0 2.00\n"
      " 10.0  0 0 0 0  0.25  0.25  0 1.25\n"},
     {"SubB",
      "  0.0  0 0 0 0  0.0  0.0  0 0.50\n  5.0  0 0 0 0  0.4  0.1  0 3.50\n 10.0  0 0 0 0  0.2  0.0  0 4.75\n"}},
    "SubA           1 2 3 4 5 6 7 2.000 9\nSubB           1 2 3 4 5 6 7 4.750 9\n");
const std::string kQ100Peaks = "\"ID\",\"Q Peak\"\n\"SubA\",           2.000\n\"SubB\",           4.750\n";
const std::string kQ100Axis = axis("        0.00", "       10.00", "    5.0000", "     3");
const std::string kQ100Reading = "...Reading WBNM Hydrograph: SubA\n...Reading WBNM Hydrograph: SubB\n";

// How the outputs of a WBNM file are named and written in one format.
struct PairFormat {
  std::string format;  // ".ts1", ".csv"
  std::string tot_label, loc_label;
  std::string tot, loc;  // output names
};

PairFormat ts1_pair(const std::string& stem) {
  return {".ts1", "   TS1 Total Hydrographs Output File: ", "   TS1 Local Hydrographs Output File: ", stem + "_tot.ts1",
          stem + "_loc.ts1"};
}

// Transcript of one file converted from start to end.
std::string converted(const std::string& input, const std::string& stem, const std::string& reading,
                      const std::string& axis, const PairFormat& f, int blocks = 1) {
  std::string writing;
  for (int b = 0; b < blocks; ++b) writing += "\nWriting to " + f.format + " file...\n";
  return "\nConverting to " + f.format + ": " + input + "\n" + opened_input(input) + f.tot_label + f.tot + "\n" +
         f.loc_label + f.loc + "\n" + closed(1001) + opened_input(input) + opened_output(f.tot, 1002) +
         opened_output(f.loc, 1003) + "\nConverting...\n" + reading + axis + writing + closed(1002) + closed(1003) +
         closed(1001) + opened_output(stem + "_peak_Q.out.csv", 1001) + closed(1001);
}

std::string converted(const std::string& input, const std::string& stem, const std::string& reading,
                      const std::string& axis) {
  return converted(input, stem, reading, axis, ts1_pair(stem));
}

// The single-duration file in each layout; without -b the run ends with the pause.
TEST(WbnmConversion, SingleDurationFile) {
  const std::string in = "Q100_Meta.out";
  const std::string tot = grid("0.00 0.300 0.500 / 5.00 2.000 3.500 / 10.00 1.250 4.750");
  const std::string loc = grid("0.00 0.300 0.000 / 5.00 1.500 0.500 / 10.00 0.500 0.200");
  const std::string zeros = "! Zero flow added at beginning of hydrographs\n! Zero flow added at end of hydrographs\n";
  const std::string first = grid("-5.00 0.000 0.000"), last = grid("15.00 0.000 0.000");
  std::string zero_tot = ts1_file(in, "SubA,SubB", 5, {5, 5}, first + tot + last);
  zero_tot.insert(zero_tot.find('\n') + 1, zeros);  // after the first line, but before it in the local file
  const PairFormat ts1 = ts1_pair("Q100_Meta"),
                   csv{".csv", "   CSV Output File: ", "   CSV Output File: ", in + "_tot.csv", in + "_loc.csv"};
  const std::string ts1_tot = ts1_file(in, "SubA,SubB", 3, {3, 3}, tot),
                    ts1_loc = ts1_file(in, "SubA,SubB", 3, {3, 3}, loc, false);
  const std::string hours = "Time (hr)   ,SubA,SubB\n";
  const struct {
    std::string options;
    PairFormat f;
    std::string tot, loc, end;
    int blocks = 1;  // blocks of each .csv file, each announced
  } cases[] = {
      {"-wbnm -b", ts1, ts1_tot, ts1_loc, ""},
      {"", ts1, ts1_tot, ts1_loc, kPause},
      {"-s0 -e0 -b", ts1, zero_tot, zeros + ts1_file(in, "SubA,SubB", 5, {5, 5}, first + loc + last, false), ""},
      {"-csv -b", csv, hours + grid("0.0000 0.300 0.500 / 0.0833 2.000 3.500 / 0.1667 1.250 4.750"),
       hours + grid("0.0000 0.300 0.000 / 0.0833 1.500 0.500 / 0.1667 0.500 0.200"), ""},
      // Blocks of one column, each with its zero rows.
      {"-csv -col1 -s0 -e0 -b", csv,
       "Time (hr)   ,SubA\n" + grid("-0.0833 0.000 / 0.0000 0.300 / 0.0833 2.000 / 0.1667 1.250 / 0.2500 0.000") +
           "\nTime (hr)   ,SubB\n" + grid("-0.0833 0.000 / 0.0000 0.500 / 0.0833 3.500 / 0.1667 4.750 / 0.2500 0.000"),
       "Time (hr)   ,SubA\n" + grid("-0.0833 0.000 / 0.0000 0.300 / 0.0833 1.500 / 0.1667 0.500 / 0.2500 0.000") +
           "\nTime (hr)   ,SubB\n" + grid("-0.0833 0.000 / 0.0000 0.000 / 0.0833 0.500 / 0.1667 0.200 / 0.2500 0.000"),
       "", 2},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file(in, kQ100);
    const RunResult r = flowtab(words(c.options + " " + in));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, kBanner + "Found 1 input files\n" +
                            converted(in, "Q100_Meta", kQ100Reading, kQ100Axis, c.f, c.blocks) + "\nFinished.\n" +
                            c.end);
    EXPECT_EQ(read_file(c.f.tot), c.tot) << c.f.tot;
    EXPECT_EQ(read_file(c.f.loc), c.loc) << c.f.loc;
    EXPECT_EQ(read_file("Q100_Meta_peak_Q.out.csv"), kQ100Peaks);
    EXPECT_EQ(files_here(), (std::set<std::string>{in, c.f.tot, c.f.loc, "Q100_Meta_peak_Q.out.csv"}));
  }
}

TEST(WbnmConversion, SeriesOfDifferentSpans) {
  ScratchDir dir;
  write_file("span.out",
             wbnm_file("2017_1", {{"A", row("0", "1", "1") + row("5", "1", "2") + row("10", "1", "3") +
                                            row("15", "1", "4") + row("20", "1", "5")},
                                  {"B", row("5", "2", "7") + row("10", "2", "8.5") + row("15", "2", "9.25")}}));
  const RunResult r = flowtab({"-b", "span.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(holds(r.output, axis("        0.00", "       20.00", "    5.0000", "     5")));
  EXPECT_EQ(read_file("span_tot.ts1"),
            ts1_file("span.out", "A,B", 5, {5, 4},
                     grid("0.00 1.000 _ / 5.00 2.000 7.000 / 10.00 3.000 8.500 / 15.00 4.000 9.250 / 20.00 5.000 _"),
                     true, {1, 2}));
  EXPECT_EQ(read_file("span_loc.ts1").substr(read_file("span_loc.ts1").find("        0.00")),
            grid("0.00 1.000 _ / 5.00 1.000 2.000 / 10.00 1.000 2.000 / 15.00 1.000 2.000 / 20.00 1.000 _"));
  // No peak summary: the table holds only its first record.
  EXPECT_EQ(read_file("span_peak_Q.out.csv"), "\"ID\",\"Q Peak\"\n");
}

TEST(WbnmConversion, Version2019WithoutMwSkipsOnlyThatFile) {
  ScratchDir dir;
  write_file("a.out", wbnm_file("2019_3 Beta", {{"X", row("0", "1", "1") + row("5", "1", "2")}}));
  write_file("b.out", wbnm_file("2018_9h", {{"Y", row("0", "1", "1") + row("5", "1", "2")}}));
  const RunResult r = flowtab({"-b", "*.out"});
  EXPECT_EQ(r.status, 1);  // the later file is converted, the refused one is reported
  EXPECT_EQ(r.output, kBanner + "Found 2 input files\n" + "\nConverting to .ts1: a.out\n" + opened_input("a.out") +
                          "WBNM 2019 version or later should use -mw switch... exiting\n" + closed(1001) +
                          converted("b.out", "b", "...Reading WBNM Hydrograph: Y\n",
                                    axis("        0.00", "        5.00", "    5.0000", "     2")) +
                          "\nFinished.\n");
  EXPECT_EQ(files_here(), (std::set<std::string>{"a.out", "b.out", "b_tot.ts1", "b_loc.ts1", "b_peak_Q.out.csv"}));
}

TEST(WbnmConversion, PatternsThatMatchNothing) {
  ScratchDir dir;
  RunResult r = flowtab({"-b", "*.out", "missing/*.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kBanner + "Found 0 input files\n\nFinished.\n");
  // Without -b the pause comes first, and the status is the same.
  r = flowtab({"*.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kBanner + "Found 0 input files\n\nFinished.\n" + kPause);
  write_file("Q100_Meta.out", kQ100);
  write_file("Q050_Meta.OUT", kQ100);
  r = flowtab({"-b", "nothing*.out", "Q100_Meta.out", "Q0*", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);  // the files that matched are converted, but one pattern matched nothing
  const std::string once = converted("Q100_Meta.out", "Q100_Meta", kQ100Reading, kQ100Axis);
  EXPECT_EQ(r.output, kBanner + "Found 3 input files\n" + once +
                          converted("Q050_Meta.OUT", "Q050_Meta", kQ100Reading, kQ100Axis) + once + "\nFinished.\n");
  EXPECT_TRUE(std::filesystem::exists("Q050_Meta_peak_Q.out.csv"));
}

// A data line that cannot be read, or an output that every write fails to
// (as on a full disk), ends the run before the peak table.
TEST(WbnmConversion, ReadAndWriteErrorsEndTheRun) {
  std::string bad = kQ100;
  bad.replace(bad.find("0.25  0.25"), 10, "0.25  x.25");
  const std::string eight = wbnm_file("2017_1", {{"A", row("0", "1", "1") + "5 0 0 0 0 1 0 0\n"}});
  const struct {
    std::string file, options, full, tail;
  } cases[] = {
      {bad, "-b", "", "\nConverting...\n...Reading WBNM Hydrograph: SubA\n" + read_error(9)},
      {eight, "-b", "", "\nConverting...\n...Reading WBNM Hydrograph: A\n" + read_error(8)},
      {kQ100, "-ts1 -b", "Q_tot.ts1", "\nWriting to .ts1 file...\n\nERROR - Writing output file Q_tot.ts1\n"},
      {kQ100, "-csv -b", "Q.out_tot.csv", "\nWriting to .csv file...\n\nERROR - Writing output file Q.out_tot.csv\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file("Q.out", c.file);
    if (!c.full.empty()) std::filesystem::create_symlink("/dev/full", c.full);
    const RunResult r = flowtab(words(c.options + " Q.out"));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(ends_with(r.output, c.tail + kPause));
    EXPECT_FALSE(std::filesystem::exists("Q_peak_Q.out.csv"));
    if (c.full.empty()) {
      EXPECT_EQ(read_file("Q_tot.ts1"), "");  // the output, opened, stays empty
    }
  }
}

TEST(WbnmConversion, PeakSummaryNamesThatDifferOnlyInCaseShareARow) {
  ScratchDir dir;
  write_file("pk.out", wbnm_file("2017_1", {{"A", row("0", "1", "1") + row("5", "1", "2")}},
                                 "SubA         1 2 3 4 5 6 7 2.000 9\n"
                                 "  suba       1 2 3 4 5 6 7 3.500 9\n"
                                 "SUBA         1 2 3 4 5 6 7 1.000 9\n"
                                 "Sub B        1,2,3,4,5,6,7,12.25\n"
                                 "'SubA'       1 2 3 4 5 6 7 3.500 9\n"));
  EXPECT_EQ(flowtab({"-b", "pk.out"}).status, 0);
  EXPECT_EQ(read_file("pk_peak_Q.out.csv"),
            "\"ID\",\"Q Peak\"\n\"SubA\",           3.500\n\"Sub B\",          12.250\n");
}

TEST(WbnmConversion, BlocksWithoutSeparatorsAndALastDataLineAreKept) {
  ScratchDir dir;
  write_file("tight.out",
             "#####START_META_FILE######\nWBNM Version: 2017_1 - x\n#####END_META_FILE####\n#####START_STORM#1\n"
             "#####START_HYDROGRAPHS_A\nheading\n" +
                 row("0", "1", "1") + row("5", "1", "2") + "#####START_HYDROGRAPHS_B\nheading\n" + row("0", "1", "3") +
                 "5 0 0 0 0 1 0 0 4");
  EXPECT_EQ(flowtab({"-b", "tight.out"}).status, 0);
  EXPECT_EQ(read_file("tight_tot.ts1"),
            ts1_file("tight.out", "A,B", 2, {2, 2}, grid("0.00 1.000 3.000 / 5.00 2.000 4.000")));
}

TEST(WbnmConversion, PatternWithAFolderReadsThatFolder) {
  ScratchDir dir;
  std::filesystem::create_directory("data");
  write_file("data/Q100_Meta.out", kQ100);
  write_file("Q100_Meta.out", "not this one\n");
  const RunResult r = flowtab({"-b", "data/*.out"});
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(holds(r.output, "\nConverting to .ts1: Q100_Meta.out\n\nTrying to open file data/Q100_Meta.out...OK."));
  EXPECT_EQ(read_file("Q100_Meta_peak_Q.out.csv"), kQ100Peaks);
  EXPECT_FALSE(std::filesystem::exists("data/Q100_Meta_tot.ts1"));
}

TEST(WbnmConversion, Ts2IsRefusedForWbnmInput) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100);
  const RunResult r = flowtab({"-ts2", "-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, kBanner + "Found 1 input files\n\nConverting to .ts2: Q100_Meta.out\n" +
                          opened_input("Q100_Meta.out") +
                          "   TS2 Output Format not supported for WBNM format or multiple event switch.\n" + kPause);
  EXPECT_EQ(files_here(), std::set<std::string>{"Q100_Meta.out"});
}

// A file without its meta-file block is still read, but the run reports it.
TEST(WbnmConversion, MissingMetaBlockIsAFailureTheRunGoesOnPast) {
  ScratchDir dir;
  write_file("Q100_Meta.out", kQ100.substr(kQ100.find("#####START_STORM#1")));
  const RunResult r = flowtab({"-b", "Q100_Meta.out"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(
      holds(r.output, "\nERROR - START_META_FILE###### not found, possible format error within wbnm out file \n"));
  EXPECT_TRUE(std::filesystem::exists("Q100_Meta_peak_Q.out.csv"));
}

}  // namespace

// Whole conversions of XP interface files: the interface reader's results in
// the series table (minutes, names, peaks) and the checks on what it returns.
#include <gtest/gtest.h>

#include "transcript_support.h"
#include "xp_file_writer.h"

namespace {

using namespace transcript;
using testing_support::read_file;
using testing_support::ScratchDir;
using testing_support::write_file;

// Three locations, three steps a quarter of an hour apart from 06:00.
xpgen::File three_locations(int type) {
  xpgen::File f;
  f.type = type;
  f.source = "swmm";
  f.ids = {"Node_A", "node_a", "Out"};
  for (int k = 0; k < 3; ++k)
    f.steps.push_back({.timesec = 21600.0 + 900.0 * k, .q = {1.0 + k, 10.0 - k, 0.5 * k}, .c = {}});
  return f;
}

TEST(XpConversion, HoursBecomeMinutesAndEqualIdsShareAPeak) {
  ScratchDir dir;  // every layout reads alike (the reader's tests): one of them here
  write_file("run.int", xpgen::write(three_locations(3)).bytes);
  const auto r = flowtab({"-xp", "-b", "run.int"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, kBanner + "Found 1 input files\n\nConverting to .ts1: run.int\n" +
                          "   TS1 Output File: run.int.ts1\n" + opened_output("run.int.ts1", 1001) +
                          "\nConverting...\n...Reading XP Interface Hydrographs\n...Finished Extracting Data\n" +
                          axis("      360.00", "      390.00", "   15.0000", "     3") + "\nWriting to .ts1 file...\n" +
                          closed(1001) + opened_output("run_peak_Q.int.csv", 1001) + closed(1001) + "\nFinished.\n");
  EXPECT_EQ(read_file("run.int.ts1"), ts1_file("run.int", "Node_A,node_a,Out", 3, {3, 3, 3},
                                               "      360.00,       1.000,      10.000,       0.000\n"
                                               "      375.00,       2.000,       9.000,       0.500\n"
                                               "      390.00,       3.000,       8.000,       1.000\n"));
  // node_a is Node_A by keyword equality: one row, compared from its first value on.
  EXPECT_EQ(read_file("run_peak_Q.int.csv"), "\"ID\",\"Q Peak\"\n\"Node_A\",          10.000\n\"Out\",           1.000\n");
}

TEST(XpConversion, UnusableFilesEndTheRun) {
  const std::string unreadable = "\nERROR - Reading XP interface file.\n" + kPause;
  xpgen::File too_many = three_locations(2);
  too_many.ids.assign(10001, "N");
  for (auto& s : too_many.steps) s.q.assign(10001, 1.0);
  struct Case {
    std::string bytes, tail;
  };
  const Case cases[] = {
      {"not an interface file at all\n", unreadable},
      {xpgen::write(too_many).bytes,
       "ERROR 0131 - Exceeded number of allowable XP interface nodes - contact flowtab@example.org\n"
       "\nPress Enter to Continue\n...Finished Extracting Data\n"
       "\nERROR - Exceeded maximum number of 10000 XP Interface time-series allowed.\n" + kPause},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file("run.int", c.bytes);
    const auto r = flowtab({"-xp", "-b", "run.int"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(transcript::ends_with(r.output, c.tail)) << r.output;
    EXPECT_EQ(read_file("run.int.ts1"), "");  // created before the input was read
    EXPECT_FALSE(std::filesystem::exists("run_peak_Q.int.csv"));
  }
}

}  // namespace

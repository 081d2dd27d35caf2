// Result files written by the WBNM model itself convert without error, and
// a few values of them, read off the input by hand, come out where they belong.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using testing_support::read_file;
using testing_support::run_program;
using testing_support::ScratchDir;

const std::filesystem::path kSamples = std::filesystem::path(FLOWTAB_SOURCE_DIR) / "tests" / "samples" / "wbnm";

// The line of `text` that starts with `start`.
std::string line_starting(const std::string& text, const std::string& start) {
  const std::size_t p = text.find("\n" + start);
  if (p == std::string::npos) return "<none>";
  return text.substr(p + 1, text.find('\n', p + 1) - p - 1);
}

TEST(WbnmSamples, EveryModelFileConverts) {
  ScratchDir dir;
  for (const char* name :
       {"Natural2012_Meta.out", "Design_Durations87_Meta.out", "DES16_Sample_Catch_360min_Meta.out"}) {
    const auto r = run_program(FLOWTAB_EXE, {"./flowtab", "-b", (kSamples / name).string()}, "", dir.path());
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.output.find("ERROR"), std::string::npos) << r.output;
    // The version line of these files carries no "-" after the version.
    EXPECT_NE(r.output.find("WARNING - Could not read WBNM version: WBNM Version :2017_001\n"), std::string::npos);
    const std::string stem = std::string(name).substr(0, std::string(name).size() - 4);
    EXPECT_TRUE(std::filesystem::exists(stem + "_tot.ts1")) << name;
    EXPECT_TRUE(std::filesystem::exists(stem + "_loc.ts1")) << name;
    EXPECT_TRUE(std::filesystem::exists(stem + "_peak_Q.out.csv")) << name;
  }
}

TEST(WbnmSamples, RecordedStormValues) {
  ScratchDir dir;
  const auto r =
      run_program(FLOWTAB_EXE, {"./flowtab", "-b", (kSamples / "Natural2012_Meta.out").string()}, "", dir.path());
  ASSERT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("\nMinimum time:        0.00\nMaximum time:     1380.00\nTime increment:   20.0000\n"
                          "Max increments:    70\n"),
            std::string::npos);
  const std::string tot = read_file("Natural2012_Meta_tot.ts1");
  const std::string loc = read_file("Natural2012_Meta_loc.ts1");
  EXPECT_EQ(line_starting(tot, "         5"), "         5,        70");
  // Names run to the end of the header line, tag included.
  EXPECT_EQ(line_starting(tot, "Time (min)").substr(0, 60), "Time (min)  ,SUB1        ::1-Historic-Historic-Historic(REC,");
  // 60 minutes: the total is the ninth field, the local one the sixth plus the seventh.
  EXPECT_EQ(line_starting(tot, "       60.00"), "       60.00,       9.899,       6.554,      13.216,      16.382,      12.833");
  EXPECT_EQ(line_starting(loc, "       60.00"), "       60.00,       9.899,       6.554,      12.559,      16.382,      10.895");
  // Only the outlet's hydrograph reaches the last row.
  EXPECT_EQ(line_starting(tot, "     1380.00"), "     1380.00,            ,            ,            ,            ,       3.621");
  EXPECT_EQ(read_file("Natural2012_Meta_peak_Q.out.csv"),
            "\"ID\",\"Q Peak\"\n"
            "\"SUB1\",          23.739\n"
            "\"SUB2\",          14.739\n"
            "\"SUB3\",          45.410\n"
            "\"SUB4\",          36.983\n"
            "\"SUB5\",          72.580\n");
}

}  // namespace

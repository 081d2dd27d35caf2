// Counts that a file states (increments, values, series, storms) are only
// claims: a small file that states huge ones ends with its message and never
// sizes memory by them.  Each run gets 64 MiB of data memory at most.
#include <gtest/gtest.h>

#include "transcript_support.h"

#if !defined(__SANITIZE_ADDRESS__)  // the sanitizers need far more address space

namespace {

using namespace transcript;

TEST(BoundedInput, HugeStatedCountsSizeNothing) {
  const struct {
    std::string option, name, contents, tail;
  } cases[] = {
      {"-urbs", "a.q", "x\nDATA PARAMETERS : Locations = 2 Values = 2000000000\n",
       "\nERROR - Exceeded maximum number of 10000 points in a URBS time-series.\n"},
      {"-urbs", "b.q", "x\nDATA PARAMETERS : Locations = 2000000000 Values = 3\n",
       "\nERROR - Exceeded maximum number of 10000 URBS time-series allowed.\n"},
      {"-darno", "d.txt", "QT      12999999\n       0.0\n",
       "\nERROR - Exceeded maximum number of 10000 points in a DARNO FF time-series.\n"},
      {"-mw", "w.out",
       "#####START_META_FILE######\nWBNM Version: 2017_1b - x\n#####END_META_FILE\n#####START_STORM_BLOCK\n"
       "2000000000\n#####START_STORM#1\nARI 100 60 Mins\n",
       "\nIssue with populating event names within: w.out .\n"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    write_file(c.name, c.contents);
    const auto r =
        run_program(FLOWTAB_EXE, {"./flowtab", "-b", c.option, c.name}, "", dir.path(), std::size_t{64} << 20);
    EXPECT_EQ(r.status, 1) << c.name << r.output;
    EXPECT_TRUE(ends_with(r.output, c.tail + kPause));
  }
}

}  // namespace

#endif

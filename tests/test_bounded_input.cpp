// Counts that a file states (increments, values, series, storms) are only
// claims: a small file that states huge ones ends with its message and never
// sizes memory by them.  Each run gets 64 MiB of data memory at most.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "bench/rorb_generator.h"
#include "transcript_support.h"

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)  // the sanitizers need far more address space

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

// Thousands of series whose rows are few, in a file of many short lines: the
// series get room for what the file can hold, not for the lines or the limit.
TEST(BoundedInput, ManySeriesOfFewRowsSizeByTheFile) {
  constexpr int kSeries = 4000;
  std::string header = " Inc    Time", rows[2] = {"    0   0.000", "    1   0.083"};
  for (int k = 1; k <= kSeries; ++k) {
    header += "   Hyd" + std::string(4 - std::to_string(k).size(), '0') + std::to_string(k);
    rows[0] += " 0";
    rows[1] += " 1";
  }
  std::string file = " RORB run\n Hydrograph summary\n" + header + "\n" + rows[0] + "\n" + rows[1] + "\n";
  for (int i = 0; i < 500000; ++i) file += "x\n";
  ScratchDir dir;
  write_file("r.out", file);
  const auto r = run_program(FLOWTAB_EXE, {"./flowtab", "-b", "-rorb", "r.out"}, "", dir.path(), std::size_t{64} << 20);
  EXPECT_EQ(r.status, 0) << r.output.substr(0, 2000);

  // URBS: 5000 locations of 10000 values stated, and 10000 lines that are
  // no rows.
  std::string names = "          ", types = names;
  for (int k = 0; k < 5000; ++k) {
    names += "   L" + std::string(5 - std::to_string(k).size(), '0') + std::to_string(k);
    types += "     Calc";
  }
  std::string q = "URBS run\nDATA PARAMETERS : Locations = 5000 Values = 10000\n-------------\n" + names + "\n" +
                  types + "\n";
  for (int i = 0; i < 10000; ++i) q += "1\n";
  write_file("r.q", q);
  const auto u = run_program(FLOWTAB_EXE, {"./flowtab", "-b", "-urbs", "r.q"}, "", dir.path(), std::size_t{64} << 20);
  EXPECT_TRUE(ends_with(u.output, read_error(10005) + kPause)) << u.output.substr(0, 3000);
}

// Tables larger than the memory the process may have end the run with a
// message, not with a crash, wherever the memory runs out: as the series are
// made, as the rows are read or as the table is written, on any of the
// threads that share the work.  The program as shipped runs once.  A build of
// it that shares its work among eight threads on any machine (tests/programs)
// runs under limits a step apart, so that among them the memory runs out as
// a thread takes its first piece of work: state of a thread's own, freed as
// the thread ends, would end the process there (the C library cannot record
// its destructor without memory, and aborts).
// Below the least limit at which a run on one thread finishes, every run ends
// with the memory message.  From there a run may also fit: when the helper
// threads start late (a loaded machine), the calling thread takes its memory
// first, the threads then refused it are not started, and the work goes on
// with fewer.  Such a run ends as the run without a limit does, with the same
// console and the same files.
TEST(BoundedInput, TablesBeyondTheMemoryEndWithAMessage) {
  // URBS: 1000 locations of 5000 values (10 MB).
  std::string names = "          ", types = names, row = "      0.00";
  for (int k = 0; k < 1000; ++k) {
    names += "   L" + std::string(5 - std::to_string(k).size(), '0') + std::to_string(k);
    types += "     Calc";
    row += " 0";
  }
  std::string q = "URBS run\nDATA PARAMETERS : Locations = 1000 Values = 5000\n-------------\n" + names + "\n" +
                  types + "\n";
  for (int i = 0; i < 5000; ++i) q += row + "\n";
  // RORB: 200 hydrographs of 8000 rows (16 MB), whose series get their room
  // for the whole table from the first rows.
  ScratchDir dir;
  write_file("big.q", q);
  write_file("big.out", bench::rorb_file(1, 200, 8000));
  const std::set<std::string> inputs{"big.q", "big.out"};
  // Removes what the runs before left beside the inputs, so that no file of
  // theirs passes for one of the next run.
  const auto clear_outputs = [&] {
    for (const std::string& name : files_here())
      if (!inputs.contains(name)) std::filesystem::remove(name);
  };
  const auto outcome = [](const RunResult& r) { return Outcome{r.status, r.output, files_and_bytes_here()}; };
  const std::string out_of_memory = "\nERROR - Out of memory.  Contact flowtab@example.org\n" + kPause;
  constexpr std::size_t KB = 1024, MB = 1024 * KB;
  const struct {
    std::string exe, option, name;
    std::size_t least, most, step;  // the data limits: least, least + step, ... up to most
    // Below this limit not even one thread finishes the run: every run ends
    // with the memory message (a run on one thread finishes the URBS table
    // from 29,248 KB, the RORB table from 8,464 KB).
    std::size_t one_thread;
  } cases[] = {
      {FLOWTAB_EXE, "-urbs", "big.q", 16 * MB, 16 * MB, 1, 28 * MB},
      {FLOWTAB_EIGHT_THREADS_EXE, "-urbs", "big.q", 4 * MB, 16 * MB, 256 * KB, 28 * MB},
      {FLOWTAB_EIGHT_THREADS_EXE, "-rorb", "big.out", 7 * MB, 10 * MB + 512 * KB, 32 * KB, 8 * MB},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> args{"./flowtab", "-b", c.option, c.name};
    Outcome unlimited;
    if (c.most >= c.one_thread) {
      SCOPED_TRACE(c.exe + " " + c.option + " without a limit");
      clear_outputs();
      unlimited = outcome(run_program(c.exe, args, "", dir.path()));
      ASSERT_EQ(unlimited.status, 0) << unlimited.console;
      ASSERT_TRUE(ends_with(unlimited.console, "\nFinished.\n"));
      ASSERT_TRUE(unlimited.files.contains(c.name + ".ts1"));
    }
    for (std::size_t limit = c.least; limit <= c.most; limit += c.step) {
      SCOPED_TRACE(c.exe + " " + c.option + ", " + std::to_string(limit / KB) + " KB");
      clear_outputs();
      const auto r = run_program(c.exe, args, "", dir.path(), limit);
      if (limit >= c.one_thread && r.status == 0) {
        expect_same_outcome(outcome(r), unlimited);
        continue;
      }
      ASSERT_EQ(r.status, 1) << r.output;
      ASSERT_TRUE(ends_with(r.output, out_of_memory));
    }
  }
}

// A file of one line is read without a copy of the line: every kind ends on
// a 200 MB line of NULs (a sparse file: it costs no disk) and on a line of
// 48 MB of digits (one number) as it does on any line it cannot use, within
// 32 MiB of data memory.
TEST(BoundedInput, OneLineAsLongAsTheFileIsNotCopied) {
  const std::string finished = "\nFinished.\n";
  const std::string no_parameters = "\nERROR - Could not find \"DATA PARAMETERS :\" line\n" + kPause;
  const struct {
    std::string options, name, contents;
    int status;
    std::string tail;
  } cases[] = {
      {"-wbnm", "a_Meta.out", "nul", 1, finished},
      {"-rafts", "a.tot", "nul", 1, read_error(1) + kPause},
      {"-rorb", "a.out", "nul", 0, finished},
      {"-urbs", "a.q", "nul", 1, no_parameters},
      {"-urbs -date", "a.q", "nul", 1, no_parameters},
      {"-darno", "a.dar", "nul", 0, finished},
      {"-rows", "a.txt", "nul", 0, finished},
      {"-xp", "a.int", "nul", 1, "\nERROR - Reading XP interface file.\n" + kPause},
      {"-rafts", "a.tot", "digits", 1, read_error(1) + kPause},
      {"-rows", "a.txt", "digits", 1, "Extracting row data for " + std::string(100, '1') + "\n" + read_error(1) + kPause},
  };
  ScratchDir dir;
  write_file("nul", "");
  std::filesystem::resize_file("nul", std::size_t{200} << 20);
  write_file("digits", std::string(std::size_t{48} << 20, '1'));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options + " " + c.contents);
    std::filesystem::remove(c.name);
    std::filesystem::create_symlink(c.contents, c.name);
    std::vector<std::string> args = words("./flowtab -b " + c.options);
    args.push_back(c.name);
    const auto r = run_program(FLOWTAB_EXE, args, "", dir.path(), std::size_t{32} << 20);
    EXPECT_EQ(r.status, c.status) << r.output.substr(0, 3000);
    EXPECT_TRUE(ends_with(r.output, c.tail)) << r.output.substr(0, 3000);
  }
}

}  // namespace

#endif

// Runs started with a standard stream closed: a closed input reads as an
// input at its end, a closed output loses the console text, and every file
// comes out as in the same run with the streams open.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "transcript_support.h"

namespace {

using namespace transcript;

// Runs the program in a fresh folder that `setup` fills, with no console
// input and the descriptors `closed` closed.
Outcome run_closed(const std::function<void()>& setup, const std::string& args, const std::vector<int>& closed) {
  ScratchDir dir;
  setup();
  std::vector<std::string> argv = words("./flowtab " + args);
  const RunResult r = run_program(FLOWTAB_EXE, argv, "", dir.path(), 0, closed);
  return {r.status, r.output, files_and_bytes_here()};
}

// XP-RAFTS hydrographs of two steps, one storm.
void hydrographs(int n) {
  std::string f = "    1" + right(std::to_string(n), 5) + "    2       5.0\n";
  for (int k = 1; k <= n; ++k) f += "          N" + std::to_string(k) + "\n       1.000       2.000\n";
  write_file("Q100.tot", f);
}

// The example, with a folder where its first output goes.
void example_and_folder() {
  std::filesystem::copy_file(std::filesystem::path(FLOWTAB_SOURCE_DIR) / "examples/Q100_Meta.out", "Q100_Meta.out");
  std::filesystem::create_directory("Q100_Meta_tot.ts1");
}

// One storm with its event-names file, and a folder where its output goes.
void storm_and_folder() {
  hydrographs(1);
  write_file("ev.txt", "E1\n");
  std::filesystem::create_directory("Q100_E1.tot.ts1");
}

TEST(ClosedStandardStreams, RunsAsWithTheStreamsOpenAndEmptyInput) {
  const struct {
    std::string what;
    std::function<void()> setup;
    std::string args;
    std::vector<int> closed;
    int status;
  } cases[] = {
      {"output refused, prompt with the input open", example_and_folder, "-b Q100_Meta.out", {0}, 1},
      {"output refused, prompt with the storms open", storm_and_folder, "-rafts -mr ev.txt -b Q100.tot", {0}, 1},
      // More lines of reading than the console buffer holds, with the output open.
      {"long transcript", [] { hydrographs(2000); }, "-rafts Q100.tot", {0, 1, 2}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome open = run_closed(c.setup, c.args, {});
    const Outcome closed = run_closed(c.setup, c.args, c.closed);
    EXPECT_EQ(open.status, c.status) << open.console;
    EXPECT_EQ(closed.status, c.status);
    const bool no_console = std::ranges::find(c.closed, 1) != c.closed.end();
    EXPECT_EQ(closed.console, no_console ? "" : open.console);
    EXPECT_EQ(closed.files, open.files);
  }
}

}  // namespace

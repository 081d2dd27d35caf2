// Which matches a run converts, and the files it must never write or read
// back: names that the open routine would change (a blank at either end, a
// doubled backslash, a folder and name longer than it keeps), outputs that
// are the input itself, inputs
// replaced by an earlier output of the same run, an input that goes away
// before its turn, and a unit closed while a reader still reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "converter/readers/line_input.h"
#include "library/unit_manager.h"
#include "library/unit_slots.h"
#include "transcript_support.h"

namespace {

using namespace transcript;
namespace fs = std::filesystem;

const std::string kRows = "title\n1 2 3\n";
const std::string kWbnm = read_file(fs::path(FLOWTAB_SOURCE_DIR) / "examples/Q100_Meta.out");

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Matches that are not converted, and outputs that are not written: the
// run's status, a part of its console, how many inputs it read, the files
// it leaves, one that keeps its bytes and an earlier output written anew.
TEST(FileLoop, MatchesNotConvertedAndOutputsNotWritten) {
  const auto put = [](std::vector<std::pair<std::string, std::string>> files) {
    return [files] {
      for (const auto& [name, bytes] : files) {
        if (fs::path(name).has_parent_path()) fs::create_directories(fs::path(name).parent_path());
        write_file(name, bytes);
      }
    };
  };
  // The input, another one after it, and an output name linked to the input.
  const auto linked = [](std::string input, std::string link, bool hard) {
    return [=] {
      const std::string& bytes = hard ? kRows : kWbnm;
      write_file(input, bytes);
      write_file("z.out", bytes);
      hard ? fs::create_hard_link(input, link) : fs::create_symlink(input, link);
    };
  };
  const std::string blank = "\nERROR - File name ends with a blank, not converted: \"q.tot \"\n";
  const std::string leading = "\nERROR - File name begins with a blank, not converted: \" a\"\n";
  const std::string doubled = "\nERROR - File name holds a doubled backslash, not converted: \"q\\\\r\"\n";
  const std::string replaced = "\nWARNING - Input replaced by an output of this run, not converted: ";
  const std::string same = "\nERROR - Output file is the input file, not written: ";
  const std::string next = "\nConverting to .ts1: z.out\n", peak = "Q100_Meta_peak_Q.out.csv";
  // A folder of 995 characters, for a name of 8 and a pattern of 998.
  std::string deep;
  while (deep.size() + 200 <= 995) deep += std::string(199, 'd') + "/";
  deep += std::string(995 - deep.size() - 1, 'e') + "/";
  const struct {
    std::function<void()> setup;
    std::vector<std::string> args;
    int status;
    std::string console;
    std::size_t reads;
    std::set<std::string> files = {};  // none checked when empty
    std::string kept = "";             // a file that keeps its bytes
    std::string renewed = "";          // an earlier output written anew
  } cases[] = {
      // The trimmed name would read "q.tot" a second time and write over its
      // outputs; alone, it opens nothing; a name of blanks keeps its own end.
      {put({{"q.tot", kRows}, {"q.tot ", kRows}}), {"-rows", "q.tot*"}, 1, blank, 1, {"q.tot", "q.tot ", "q.tot.ts1"}},
      {put({{"q.tot ", kRows}}), {"-rows", "q.tot*"}, 1, blank, 0, {"q.tot "}},
      {put({{"  ", kRows}}), {"-wbnm", " *"}, 1, "\nEmpty filename specified.  Bailing out.", 0, {"  "}},
      // A name that the open routine would change (its leading blank dropped,
      // a doubled backslash reduced) would read, or write over, other files;
      // doubled slashes, and a doubled backslash at the start, open the name
      // as it stands.
      {put({{" a", kRows}, {"a", kWbnm}}), {"-rows", " a"}, 1, leading, 0, {" a", "a"}, "a"},
      {[put] { put({{" a", kRows}, {"a", kWbnm}})(), fs::create_symlink("a", "a.ts1"); }, {"-rows", " a"}, 1, leading, 0,
       {" a", "a", "a.ts1"}, "a"},
      {put({{"q\\\\r", kRows}, {"q\\r", kWbnm}}), {"-rows", "q\\\\r"}, 1, doubled, 0, {"q\\\\r", "q\\r"}, "q\\r"},
      {put({{"\\\\x", kRows}}), {"-rows", "\\\\x"}, 0, "\nFinished.\n", 1, {"\\\\x", "\\\\x.ts1"}},
      {put({{"in/a", kRows}}), {"-rows", "in//a"}, 0, "\nFinished.\n", 1, {"in", "a.ts1"}},
      // Either part alone: the bare name, from which the outputs are named,
      // and the folder with the name, by which the input is read.
      {put({{"x/ a", kRows}}), {"-rows", "x/ a"}, 1, leading, 0, {"x"}},
      {put({{" in/a", kRows}, {"in/a", kWbnm}}), {"-rows", " in/a"}, 1,
       "\nERROR - File name begins with a blank, not converted: \" in/a\"\n", 0, {" in", "in"}, "in/a"},
      {put({{"x\\\\y/a", kRows}, {"x\\y/a", kWbnm}}), {"-rows", "x\\\\y/a"}, 1,
       "\nERROR - File name holds a doubled backslash, not converted: \"x\\\\y/a\"\n", 0, {"x\\\\y", "x\\y"}, "x\\y/a"},
      // The open routine keeps 1000 characters of a name: a deeper match
      // would read the file of its first 1000 (here a decoy) in its place.
      {put({{deep + "abcdef.q", kRows}, {deep + "abcde", kWbnm}, {"z.out", kRows}}), {"-rows", deep + "*.q", "z.out"}, 1,
       "\nERROR - File name is longer than 1000 characters, not converted: \"" + deep + "abcdef.q\"\n" + next, 1,
       {deep.substr(0, deep.find('/')), "z.out", "z.out.ts1"}, deep + "abcde"},
      // The event-names file is looked for under the name it is opened by.
      {put({{"ev\\\\x.txt", "e1\n"}, {"r.tot", kRows}}), {"-rafts", "-mr", "ev\\\\x.txt", "r.tot"}, 2,
       "\nERROR - File ev\\\\x.txt does not exist.\n", 0},
      // Earlier outputs are replaced as on every run, and not read back.
      {put({{"a", kRows}, {"a.ts1", "earlier\n"}}), {"-rows", "a*"}, 0, replaced + "a.ts1\n\nFinished.\n", 1,
       {"a", "a.ts1"}, "", "a.ts1"},
      {put({{"Q100_Meta.out", kWbnm}, {peak, "earlier\n"}}), {"-wbnm", "Q100*"}, 0, replaced + peak + "\n\nFinished.\n",
       1, {"Q100_Meta.out", "Q100_Meta_tot.ts1", "Q100_Meta_loc.ts1", peak}, "", peak},
      // An output name that leads to the input (a symbolic or a hard link):
      // refused before any output is opened, and the next match converted.
      {linked("Q100_Meta.out", "Q100_Meta_tot.ts1", false), {"-wbnm", "Q100_Meta.out", "z.out"}, 1,
       same + "Q100_Meta_tot.ts1\n" + closed(1001) + next, 1, {}, "Q100_Meta.out"},
      {linked("Q100_Meta.out", peak, false), {"-wbnm", "Q100_Meta.out", "z.out"}, 1,
       same + peak + "\n" + closed(1001) + next, 1, {}, "Q100_Meta.out"},
      {linked("r.out", "r.out.ts1", true), {"-rows", "r.out", "z.out"}, 1, same + "r.out.ts1\n" + next, 1, {}, "r.out"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1] + ": " + c.console.substr(0, 40));
    ScratchDir dir;
    c.setup();
    const std::string kept = c.kept.empty() ? "" : read_file(c.kept);
    std::vector<std::string> args = c.args;
    args.insert(args.begin() + 1, "-b");
    const RunResult r = flowtab(args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(holds(r.output, c.console));
    EXPECT_EQ(count_of(r.output, "\nConverting...\n"), c.reads);
    if (!c.files.empty()) {
      EXPECT_EQ(files_here(), c.files);
    }
    EXPECT_EQ(c.kept.empty() ? "" : read_file(c.kept), kept);
    if (!c.renewed.empty()) {
      EXPECT_NE(read_file(c.renewed), "earlier\n");
    }
  }
}

// A WBNM input that is removed while the run waits at an earlier file's
// output: the name typed at its prompt is converted under the matched name's
// outputs, and the reopen asks again.
TEST(FileLoop, WbnmInputGoneBeforeItsTurnIsAskedForAgain) {
  ScratchDir dir;
  for (const char* f : {"a1_Meta.out", "b1_Meta.out", "c_Meta.out"}) write_file(f, kWbnm);
  fs::create_directory("a1_Meta_tot.ts1");  // the first output cannot be created: the run waits
  testing_support::Console con;
  testing_support::ActingInput acting("\nc_Meta.out\nc_Meta.out\n", [] {
    fs::remove("b1_Meta.out");
    fs::remove("a1_Meta_tot.ts1");
  });
  std::istream in(&acting);
  platform::console::set_input(&in);
  const int status = flowtab_in_process({"./flowtab", "-b", "a1_Meta.out", "b1_Meta.out"});
  const std::string out = con.text();
  EXPECT_EQ(status, 0) << out;
  EXPECT_EQ(count_of(out, "CHECK 0008 - \"b1_Meta.out\" cannot be found"), 2u) << out;
  EXPECT_EQ(read_file("b1_Meta_tot.ts1").substr(read_file("b1_Meta_tot.ts1").find('\n')),
            read_file("a1_Meta_tot.ts1").substr(read_file("a1_Meta_tot.ts1").find('\n')));
  EXPECT_FALSE(fs::exists("c_Meta_tot.ts1"));
}

// A unit closed under a reader (answered "y" at "is already open, close
// it?") leaves the reader's text alive: it reads on to the end.
TEST(FileLoop, UnitClosedUnderAReaderLeavesItsTextAlive) {
  ScratchDir dir;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  write_file("in.txt", text);
  testing_support::Console con("y\n");
  lib::INITUNITS(1000);
  std::int32_t in_unit = 0, out_unit = 0;
  lib::OPENFREE(in_unit, "I ", "in.txt");
  conv::LineInput lines(*platform::rt::text_source(in_unit));
  std::string_view line;
  ASSERT_TRUE(lines.read(line));
  lib::OPENFREE(out_unit, "O ", "in.txt");
  ASSERT_FALSE(platform::rt::is_connected(in_unit)) << con.text();
  std::string rest(line);
  rest += '\n';
  while (lines.read(line)) (rest += line) += '\n';
  EXPECT_EQ(rest, text);
  lib::CLOSER(out_unit);
}

}  // namespace

// Which matches a run converts, and the files it must never write or read
// back: names ending in a blank, outputs that are the input itself, inputs
// replaced by an earlier output of the same run, an input that goes away
// before its turn, and a unit closed while a reader still reads it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <streambuf>

#include "converter/flowtab.h"
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

TEST(FileLoop, NameEndingInABlankIsNotConverted) {
  struct Case {
    std::string kind;
    std::vector<std::string> files;
    std::string pattern;
    std::string message;
    int conversions;
  } cases[] = {
      // The trimmed name would read "q.tot" a second time and write over its outputs.
      {"-rows", {"q.tot", "q.tot "}, "q.tot*", "\nERROR - File name ends with a blank, not converted: \"q.tot \"\n", 1},
      // Alone, the trimmed name opens nothing.
      {"-rows", {"q.tot "}, "q.tot*", "\nERROR - File name ends with a blank, not converted: \"q.tot \"\n", 0},
      // A name of blanks alone keeps its own end.
      {"-wbnm", {"  "}, " *", "\nEmpty filename specified.  Bailing out.", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern + " over " + std::to_string(c.files.size()) + " files");
    ScratchDir dir;
    for (const std::string& f : c.files) write_file(f, kRows);
    const RunResult r = flowtab({c.kind, "-b", c.pattern});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(holds(r.output, c.message));
    EXPECT_EQ(count_of(r.output, "\nConverting to .ts1: "), static_cast<std::size_t>(c.conversions));
    std::set<std::string> expected(c.files.begin(), c.files.end());
    if (c.conversions > 0 && c.files[0] != "  ") expected.insert("q.tot.ts1");
    EXPECT_EQ(files_here(), expected);
  }
}

// Outputs are replaced as on every run, but a later match that this run has
// written is passed over rather than read back as an input.
TEST(FileLoop, MatchReplacedByThisRunIsNotConverted) {
  struct Case {
    std::string kind, pattern;
    std::vector<std::pair<std::string, std::string>> files;  // written before the run
    std::string warned;                                     // the match passed over
    std::string refreshed;                                  // an earlier output written anew
  } cases[] = {
      {"-rows", "a*", {{"a", kRows}, {"a.ts1", "earlier\n"}}, "a.ts1", "a.ts1"},
      {"-wbnm", "Q100*", {{"Q100_Meta.out", kWbnm}, {"Q100_Meta_peak_Q.out.csv", "earlier\n"}}, "Q100_Meta_peak_Q.out.csv",
       "Q100_Meta_peak_Q.out.csv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.warned);
    ScratchDir dir;
    for (const auto& [name, contents] : c.files) write_file(name, contents);
    const RunResult r = flowtab({c.kind, "-b", c.pattern});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(ends_with(r.output, "\nWARNING - Input replaced by an output of this run, not converted: " + c.warned +
                                        "\n\nFinished.\n"));
    EXPECT_EQ(count_of(r.output, "\nConverting to .ts1: "), 1u);
    EXPECT_NE(read_file(c.refreshed), "earlier\n");
    for (const std::string& f : files_here()) EXPECT_FALSE(f.starts_with(c.warned + ".")) << f;
  }
}

// An output name that leads to the input file (a symbolic or a hard link) is
// refused before any output is opened: the input keeps its bytes, the run
// goes on with the next match and ends with status 1.
TEST(FileLoop, OutputThatIsTheInputIsNotWritten) {
  struct Case {
    std::string kind, input, contents, link;
    bool hard;
    std::string tail;  // the console from the refusal to the next match
  } cases[] = {
      {"-wbnm", "Q100_Meta.out", kWbnm, "Q100_Meta_tot.ts1", false,
       "\nERROR - Output file is the input file, not written: Q100_Meta_tot.ts1\n" + closed(1001)},
      {"-wbnm", "Q100_Meta.out", kWbnm, "Q100_Meta_peak_Q.out.csv", false,
       "\nERROR - Output file is the input file, not written: Q100_Meta_peak_Q.out.csv\n" + closed(1001)},
      {"-rows", "r.out", kRows, "r.out.ts1", true, "\nERROR - Output file is the input file, not written: r.out.ts1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.link);
    ScratchDir dir;
    write_file(c.input, c.contents);
    write_file("z.out", c.kind == "-rows" ? kRows : kWbnm);
    if (c.hard)
      fs::create_hard_link(c.input, c.link);
    else
      fs::create_symlink(c.input, c.link);
    const RunResult r = flowtab({c.kind, "-b", c.input, "z.out"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(holds(r.output, c.tail + "\nConverting to .ts1: z.out\n"));
    EXPECT_EQ(r.output.find("Converting...\n"), r.output.rfind("Converting...\n")) << "only z.out is read";
    EXPECT_EQ(read_file(c.input), c.contents);
  }
}

// Console input that does something to the folder before its first line is
// read: what happens while the run waits for Enter.
class ActingInput : public std::streambuf {
 public:
  ActingInput(std::string lines, std::function<void()> act) : lines_(std::move(lines)), act_(std::move(act)) {}

 protected:
  int underflow() override {
    if (act_) std::exchange(act_, nullptr)();
    if (gptr() == nullptr) setg(lines_.data(), lines_.data(), lines_.data() + lines_.size());
    return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
  }

 private:
  std::string lines_;
  std::function<void()> act_;
};

// A WBNM input that is removed while the run waits at an earlier file's
// output: the name typed at its prompt is converted under the matched name's
// outputs, and the reopen asks again.
TEST(FileLoop, WbnmInputGoneBeforeItsTurnIsAskedForAgain) {
  ScratchDir dir;
  for (const char* f : {"a1_Meta.out", "b1_Meta.out", "c_Meta.out"}) write_file(f, kWbnm);
  fs::create_directory("a1_Meta_tot.ts1");  // the first output cannot be created: the run waits
  testing_support::Console con;
  ActingInput acting("\nc_Meta.out\nc_Meta.out\n", [] {
    fs::remove("b1_Meta.out");
    fs::remove("a1_Meta_tot.ts1");
  });
  std::istream in(&acting);
  platform::console::set_input(&in);
  const int status = ending_of([] { conv::FLOWTAB({"./flowtab", "-b", "a1_Meta.out", "b1_Meta.out"}); });
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

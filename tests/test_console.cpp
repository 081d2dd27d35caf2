// The process's own console: standard output through its buffer and
// standard input line by line, with descriptors 0 and 1 put on files (or a
// pseudo-terminal) for the test.
#include "platform/console.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/console_redirect.h"
#include "test_support.h"

namespace {

namespace console = platform::console;

// Puts descriptor `fd` on the file at `path` while the object lives.
class Redirect {
 public:
  Redirect(int fd, const std::string& path, int flags) : fd_(fd), saved_(::dup(fd)) {
    const int f = ::open(path.c_str(), flags, 0644);
    EXPECT_GE(f, 0);
    ::dup2(f, fd);
    ::close(f);
  }
  ~Redirect() {
    ::dup2(saved_, fd_);
    ::close(saved_);
  }

 private:
  int fd_, saved_;
};

using testing_support::read_file;
using testing_support::write_file;

TEST(ProcessConsole, OutputKeepsItsOrderAcrossTheBuffer) {
  testing_support::TempFolder folder;
  const std::string out = (folder.path() / "out").string();
  const std::string big(200000, 'b');
  std::string expected;
  {
    Redirect r(1, out, O_WRONLY | O_CREAT | O_TRUNC);
    // Pieces that fill the buffer exactly, overflow it, and exceed it whole.
    const std::string pieces[] = {"start", std::string(65536 - 6, 'a'), "x", big, "y", std::string(70000, 'c')};
    console::put(std::string_view());
    for (const std::string& p : pieces) {
      console::put(p);
      expected += p;
    }
    console::line("end");
    console::free_line("free");
    console::empty_line();
    expected += "end\n free\n\n";
    console::flush();
  }
  EXPECT_EQ(read_file(out), expected);
}

TEST(ProcessConsole, InputLines) {
  const std::string long_line(10000, 'L');
  const struct {
    std::string input;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a\nb\n", {"a", "b"}},
      {"a\nlast", {"a", "last"}},
      {"crlf\r\n\r\n", {"crlf", ""}},
      {"\n\n", {"", ""}},
      {long_line + "\n" + long_line + "x", {long_line, long_line + "x"}},
  };
  testing_support::TempFolder folder;
  const std::string in = (folder.path() / "in").string();
  for (const auto& c : cases) {
    write_file(in, c.input);
    Redirect r(0, in, O_RDONLY);
    std::vector<std::string> got;
    for (std::optional<std::string> s; (s = console::read_line());) got.push_back(*s);
    EXPECT_EQ(got, c.lines) << c.input.substr(0, 20);
  }
}

// What reaches the file with each write, line by line and buffered.
TEST(ProcessConsole, LineByLineWritesEachLineAsItEnds) {
  const struct {
    std::string text, lines;  // buffered, nothing is written before the end
  } steps[] = {{"part", ""}, {"ial\nnext", "partial\n"}, {"\n", "next\n"}, {"a\nb\nopen", "a\nb\n"}};
  testing_support::TempFolder folder;
  const std::string path = (folder.path() / "out").string();
  for (const bool lines : {true, false}) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    auto out = std::make_unique<console::detail::DescriptorOutput>(fd, lines);
    std::size_t before = 0;
    for (const auto& s : steps) {
      out->write(s.text);
      const std::string now = read_file(path);
      EXPECT_EQ(now.substr(before), lines ? s.lines : "") << lines << s.text;
      before = now.size();
    }
    out.reset();  // the rest at the end
    EXPECT_EQ(read_file(path), "partial\nnext\na\nb\nopen");
    ::close(fd);
  }
}

// Descriptor 1 on a pseudo-terminal, /dev/null and a file.
TEST(ProcessConsole, OnlyATerminalIsWrittenLineByLine) {
  int master = -1, slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  testing_support::TempFolder folder;
  std::vector<bool> got;
  for (const std::string& path :
       {std::string(::ttyname(slave)), std::string("/dev/null"), (folder.path() / "out").string()}) {
    Redirect r(1, path, O_WRONLY | O_CREAT | O_NOCTTY);
    got.push_back(console::detail::DescriptorOutput::line_by_line(1));
  }
  EXPECT_EQ(got, (std::vector<bool>{true, false, false}));
  ::close(master);
  ::close(slave);
}

}  // namespace

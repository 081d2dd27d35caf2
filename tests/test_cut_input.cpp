// An input cut short by another process while it is mapped and read: the run
// ends with its console text, the message and status 1, whichever thread
// meets the cut; a SIGBUS that is no such fault ends the process as before.
#include <signal.h>
#include <sys/mman.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "bench/darno_generator.h"
#include "bench/rafts_generator.h"
#include "bench/rorb_generator.h"
#include "bench/rows_generator.h"
#include "bench/urbs_generator.h"
#include "bench/wbnm_generator.h"
#include "bench/xp_generator.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
namespace rt = platform::rt;
using testing_support::read_file;
using testing_support::write_file;

const std::string kChanged = "\nERROR - Input file changed while it was read: ";

enum class Touch { MainThread, WorkerThread, UnwatchedMapping, SentSignal };

// In a child process: maps `big` through a unit (after opening and closing
// it once, so that the guard's table holds a freed entry of it), or without
// one, cuts it to 3 bytes and touches its last byte as `how` says.  The
// child's wait status and output.
std::pair<int, std::string> cut_in_child(const fs::path& dir, Touch how) {
  const std::string big = dir / "big.txt", other = dir / "other.txt", out = dir / "out.txt";
  write_file(big, std::string(std::size_t{1} << 20, 'x'));
  write_file(other, "a\n");
  platform::console::flush();  // nothing of the tests' own console goes to the child's
  const pid_t pid = testing_support::fork_child();
  if (pid == 0) {
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (::dup2(fd, 1) < 0 || ::dup2(fd, 2) < 0) ::_exit(90);
    if (rt::open(7, big, {}) || rt::close(7) || rt::open(8, other, {}) || rt::open(9, big, {})) ::_exit(91);
    const char* last = &rt::text_source(9)->contents().back();
    if (how == Touch::UnwatchedMapping) {
      void* p = ::mmap(nullptr, std::size_t{1} << 20, PROT_READ, MAP_PRIVATE, ::open(big.c_str(), O_RDONLY), 0);
      last = static_cast<const char*>(p) + (std::size_t{1} << 20) - 1;
    }
    platform::console::line("before the cut");
    if (::truncate(big.c_str(), 3) != 0) ::_exit(92);
    const auto touch = [last] { [[maybe_unused]] const char c = *static_cast<const volatile char*>(last); };
    if (how == Touch::WorkerThread) std::thread(touch).join();
    if (how == Touch::SentSignal) ::kill(::getpid(), SIGBUS);
    touch();
    ::_exit(0);
  }
  const int wstatus = testing_support::wait_child(pid);
  return {wstatus, read_file(out)};
}

TEST(CutInput, OnlyAFaultInAWatchedMappingEndsTheRunWithItsName) {
  testing_support::TempFolder dir;
  const std::string reported = "before the cut\n" + kChanged + (dir.path() / "big.txt").string() + "\n";
  for (const Touch how : {Touch::MainThread, Touch::WorkerThread, Touch::UnwatchedMapping, Touch::SentSignal}) {
    const auto [wstatus, output] = cut_in_child(dir, how);
    const int k = static_cast<int>(how);
    if (how == Touch::MainThread || how == Touch::WorkerThread) {
      EXPECT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 1) << k << ": " << wstatus;
      EXPECT_EQ(output, reported) << k;
      continue;
    }
    EXPECT_EQ(output.find(kChanged), std::string::npos) << k << ": " << output;
#if defined(__SANITIZE_ADDRESS__)
    // The handler that was there before, AddressSanitizer's, reports it.
    EXPECT_NE(output.find("AddressSanitizer"), std::string::npos) << k << ": " << output;
#else
    EXPECT_TRUE(WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == SIGBUS) << k << ": " << wstatus;
#endif
  }
}

// The program maps its input, then cannot create its first output (a folder
// has its name) and waits for Enter; meanwhile the test cuts the input short
// and removes the folder.  The reading goes on into the pages past the cut,
// with console text still buffered.
TEST(CutInput, AnInputCutWhileTheRunWaitsEndsItWithAMessage) {
  const std::string reopened = "OK.  File Unit:1002\n\nConverting...\n";
  const struct {
    std::string option, path, output, contents;
    std::uintmax_t cut;
    std::string after;  // written after Enter, before the message
  } cases[] = {
      {"-rows", "big.txt", "big.txt.ts1", bench::rows_file(800, 1000), 0, reopened},
      {"-urbs", "in/big.q", "big.q.ts1", bench::urbs_file(100, 8000, false), 4 << 20,
       reopened + "\nNumber of Hydrographs: 100\nNumber of Values:      8000\n\nReading URBS hydrographs...\n\n"
                  "RnVal = 8000\n"},
  };
  for (const auto& c : cases) {
    testing_support::ScratchDir dir;
    fs::create_directories(fs::path(c.path).parent_path().empty() ? "." : fs::path(c.path).parent_path());
    write_file(c.path, c.contents);
    fs::create_directory(c.output);
    std::string before;
    const auto r = testing_support::run_program_at_prompt(
        FLOWTAB_EXE, {"./flowtab", "-b", c.option, c.path}, dir.path(), "\nPress Enter to Continue\n",
        [&](const std::string& out) {
          before = out;
          fs::resize_file(c.path, c.cut);
          fs::remove(c.output);
        },
        "\n");
    EXPECT_EQ(r.status, 1) << c.path << ": " << r.output;
    ASSERT_NE(before.find("Can't open: " + c.output), std::string::npos) << before;
    ASSERT_TRUE(r.output.starts_with(before)) << c.path << ": " << r.output;
    const std::string message = kChanged + c.path + "\n";
    ASSERT_TRUE(r.output.ends_with(message)) << c.path << ": " << r.output.substr(before.size());
    EXPECT_EQ(r.output.substr(before.size(), r.output.size() - before.size() - message.size()), c.after) << c.path;
  }
}

// One digit from the middle on (in a binary file it may be any byte) made
// another in place: the size stays, and only the modification time tells.
// The byte is written again until the system's clock has passed the time the
// file was last written at.
void rewrite_in_place(const std::string& path) {
  const auto before = fs::last_write_time(path);
  const std::string bytes = read_file(path);
  std::size_t at = bytes.find_first_of("0123456789", bytes.size() / 2);
  if (at == std::string::npos) at = bytes.size() / 2;
  for (int tries = 0; fs::last_write_time(path) == before && tries < 1000; ++tries) {
    if (tries > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary).seekp(at).put(static_cast<char>(bytes[at] ^ 1));
  }
  ASSERT_NE(fs::last_write_time(path), before);
  ASSERT_EQ(fs::file_size(path), bytes.size());
}

// Every kind of input changed while the run waits at its first output
// (blocked by a folder) and before or while it is read: cut at a page
// boundary, cut inside its last page (the bytes past the new end then read
// as zeros, with no signal), only its last line end cut, lines added, or a
// byte rewritten in place.  Each run ends with the message and status 1,
// whether the signal or a comparison with the file as it was opened finds
// the change; an input left alone converts.
TEST(CutInput, EveryKindChangedWhileTheRunWaitsEndsWithTheMessage) {
  const struct {
    std::string option, name, output, contents;
  } kinds[] = {
      {"-wbnm", "w_Meta.out", "w_Meta_tot.ts1", bench::wbnm_file(4, 300)},
      {"-rafts", "r.tot", "r.tot.ts1", bench::rafts_file(4, 300, 1)},
      {"-rorb", "r.out", "r.out.ts1", bench::rorb_file(1, 4, 300)},
      {"-urbs", "u.q", "u.q.ts1", bench::urbs_file(4, 300, false)},
      {"-darno", "d.txt", "d.txt.ts1", bench::darno_file(4, 300)},
      {"-rows", "b.txt", "b.txt.ts1", bench::rows_file(4, 500)},
      {"-xp", "x.int", "x.int.ts1", bench::interface_file(2, "rafts", 4, 450)},
  };
  const struct {
    const char* what;
    std::function<void(const std::string&)> change;
  } changes[] = {
      {"unchanged", [](const std::string&) {}},
      {"cut at a page boundary", [](const std::string& p) { fs::resize_file(p, 8192); }},
      {"cut inside the last page", [](const std::string& p) { fs::resize_file(p, fs::file_size(p) - 20); }},
      {"last line end cut", [](const std::string& p) { fs::resize_file(p, fs::file_size(p) - 1); }},
      {"lines added", [](const std::string& p) { std::ofstream(p, std::ios::app) << "1 2 3 4\n5 6 7 8\n"; }},
      {"rewritten in place", rewrite_in_place},
  };
  for (const auto& k : kinds) {
    ASSERT_GT(k.contents.size() % 4096, 20u) << k.name;
    ASSERT_GT(k.contents.size(), 3 * 4096u) << k.name;
    for (const auto& c : changes) {
      SCOPED_TRACE(k.name + ": " + c.what);
      testing_support::ScratchDir dir;
      write_file(k.name, k.contents);
      fs::create_directory(k.output);
      const auto r = testing_support::run_program_at_prompt(
          FLOWTAB_EXE, {"./flowtab", "-b", k.option, k.name}, dir.path(), "\nPress Enter to Continue\n",
          [&](const std::string&) {
            c.change(k.name);
            fs::remove(k.output);
          },
          "\n");
      if (std::string_view(c.what) == "unchanged") {
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(r.output.ends_with("\nFinished.\n")) << r.output;
        continue;
      }
      EXPECT_EQ(r.status, 1);
      EXPECT_TRUE(r.output.ends_with(kChanged + k.name + "\n")) << r.output;
    }
  }
}

}  // namespace

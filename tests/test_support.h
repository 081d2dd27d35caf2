// Shared helpers of the tests: a captured console, a scratch folder, the
// floating-point mode kept, running code that ends the process, and child
// processes that end with the test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <streambuf>
#include <string>
#include <utility>

#include "platform/connections.h"
#include "platform/console.h"
#include "platform/fpu.h"
#include "platform/process.h"

namespace testing_support {

// Redirects the console to strings for the lifetime of the object.
class Console {
 public:
  explicit Console(std::string input = {}) : in_(std::move(input)) {
    platform::console::set_output(&out_);
    platform::console::set_input(&in_);
    platform::set_terminator(platform::throw_process_ended);
  }
  ~Console() {
    platform::console::set_output(nullptr);
    platform::console::set_input(nullptr);
    platform::set_terminator(nullptr);
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  std::string text() {
    platform::console::flush();
    return out_.str();
  }
  void clear() { out_.str(""); }

 private:
  std::ostringstream out_;
  std::istringstream in_;
};

// Console input (install it with platform::console::set_input) that first
// acts on the folder when the program asks for its first line: what happens
// while a run waits for Enter.
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

// A fresh temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "flowtab-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) ADD_FAILURE() << "cannot make a temporary folder";
    path_ = tmpl;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  operator const std::filesystem::path&() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A fresh folder that is the current folder for the lifetime of the object.
class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("flowtab_") + (info ? info->test_suite_name() : "t") + "_" +
                       (info ? info->name() : "x") + "_" + std::to_string(::getpid());
    for (char& c : name)
      if (c == '/') c = '_';
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
  }
  ~ScratchDir() {
    platform::rt::close_all();
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_, old_;
};

inline void write_file(const std::filesystem::path& p, std::string_view contents) {
  std::ofstream f(p, std::ios::binary);
  f.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

inline std::string read_file(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Where two long texts first differ ("" when they do not), from the start of
// that line: a diff of megabytes would swamp the report (and the memory).
inline std::string first_difference(const std::string& got, const std::string& want) {
  if (got == want) return "";
  const std::size_t n = std::min(got.size(), want.size());
  std::size_t at = 0;
  while (at < n && got[at] == want[at]) ++at;
  const std::size_t line = at == 0 ? 0 : got.rfind('\n', at - 1) + 1;
  return std::string("[").append(got, line, 80).append("] where [").append(want, line, 80).append("] was due");
}

// Puts back, when it goes, the floating-point mode there was when it was
// made: code that sets the program's mode leaves the test's as it was.
class KeptFpMode {
 public:
  KeptFpMode() = default;
  ~KeptFpMode() { platform::for_tests::set_fp_mode(mode_); }
  KeptFpMode(const KeptFpMode&) = delete;
  KeptFpMode& operator=(const KeptFpMode&) = delete;

 private:
  unsigned int mode_ = platform::for_tests::fp_mode();
};

// Runs code that is expected to end the process; returns the exit status,
// or -1 (and a test failure) when it returned instead.
inline int status_of(const std::function<void()>& code) {
  try {
    code();
  } catch (const platform::ProcessEnded& e) {
    return e.status;
  }
  ADD_FAILURE() << "the process did not end";
  return -1;
}

}  // namespace testing_support

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

namespace testing_support {

// A child process that ends with the test: killed when the thread that
// forked it ends (the tests fork on the thread that runs them, which lives
// as long as the process), and by wait_child when it runs too long.  As
// fork(): 0 in the child, -1 when there is none.
inline pid_t fork_child() {
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0 && (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent)) ::_exit(127);
  return pid;
}

// Waits for a child of fork_child() to end: its wait status.  A child still
// running after `limit` is killed, and the test fails (within the test's own
// time, so that the tests after it still run).
inline int wait_child(pid_t pid, std::chrono::seconds limit = std::chrono::seconds(120)) {
  int wstatus = 0;
  if (pid < 0) {
    ADD_FAILURE() << "no child process";
    return -1;
  }
  auto pause = std::chrono::microseconds(100);
  for (const auto until = std::chrono::steady_clock::now() + limit;;) {
    const pid_t r = ::waitpid(pid, &wstatus, WNOHANG);
    if (r == pid) return wstatus;
    if (r < 0 && errno != EINTR) {
      ADD_FAILURE() << "child process " << pid << " lost";
      return -1;
    }
    if (std::chrono::steady_clock::now() > until) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &wstatus, 0);
      ADD_FAILURE() << "child process killed after " << limit.count() << " s";
      return wstatus;
    }
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::microseconds(10000));
  }
}

struct RunResult {
  int status = -1;     // exit status, or -1 when the program did not exit normally
  std::string output;  // standard output and standard error together
};

// In a child process: runs the program file `exe` (a name without "/" is
// looked for on PATH) with the given arguments (argv[0] included) in `cwd`,
// its standard input from `in`, its standard output and error to
// `out_file`, with at most `data_limit` bytes of data memory when not 0, and
// the descriptors in `closed` closed.
[[noreturn]] inline void exec_program(const std::string& exe, const std::vector<std::string>& argv,
                                      const std::filesystem::path& cwd, int in,
                                      const std::filesystem::path& out_file, std::size_t data_limit = 0,
                                      const std::vector<int>& closed = {}) {
  const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (::chdir(cwd.c_str()) != 0) ::_exit(127);
  if (data_limit != 0) {
    const rlimit limit{data_limit, data_limit};
    if (::setrlimit(RLIMIT_DATA, &limit) != 0) ::_exit(127);
  }
  ::dup2(in, 0);
  ::dup2(out, 1);
  ::dup2(out, 2);
  for (const int fd : closed) ::close(fd);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execvp(exe.c_str(), args.data());
  ::_exit(127);
}

inline RunResult ended(int wstatus, const std::filesystem::path& out_file) {
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  r.output = read_file(out_file);
  std::filesystem::remove(out_file);
  return r;
}

// Runs the program file `exe` with the given arguments (argv[0] included) in
// a folder, feeding `input` on its standard input.
// `data_limit`, when not 0, caps the program's data memory (bytes); the
// descriptors in `closed` are closed when the program starts.
inline RunResult run_program(const std::string& exe, const std::vector<std::string>& argv, const std::string& input,
                             const std::filesystem::path& cwd, std::size_t data_limit = 0,
                             const std::vector<int>& closed = {}) {
  const std::filesystem::path in_file = cwd / ".stdin";
  const std::filesystem::path out_file = cwd / ".stdout";
  write_file(in_file, input);
  const pid_t pid = fork_child();
  if (pid == 0) exec_program(exe, argv, cwd, ::open(in_file.c_str(), O_RDONLY), out_file, data_limit, closed);
  const int wstatus = wait_child(pid);
  std::filesystem::remove(in_file);
  return ended(wstatus, out_file);
}

// As run_program, with a pipe on the program's standard input: once its
// output ends with `prompt`, at_prompt(output so far) runs, then `input` is
// sent and the input ends.  A test failure when the program ends first or
// does not get to the prompt within a minute.
inline RunResult run_program_at_prompt(const std::string& exe, const std::vector<std::string>& argv,
                                       const std::filesystem::path& cwd, const std::string& prompt,
                                       const std::function<void(const std::string&)>& at_prompt,
                                       const std::string& input) {
  const std::filesystem::path out_file = cwd / ".stdout";
  int fds[2];
  if (::pipe(fds) != 0) ADD_FAILURE() << "no pipe";
  const pid_t pid = fork_child();
  if (pid == 0) {
    ::close(fds[1]);
    exec_program(exe, argv, cwd, fds[0], out_file);
  }
  ::close(fds[0]);
  int wstatus = 0;
  bool gone = false;  // the child has ended and been waited for
  for (const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);;) {
    if (const std::string out = read_file(out_file); out.ends_with(prompt)) {
      at_prompt(out);
      if (::write(fds[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) ADD_FAILURE();
      break;
    }
    if ((gone = ::waitpid(pid, &wstatus, WNOHANG) == pid) || std::chrono::steady_clock::now() > until) {
      ADD_FAILURE() << "no prompt \"" << prompt << "\"";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::close(fds[1]);
  if (!gone) wstatus = wait_child(pid);
  return ended(wstatus, out_file);
}

}  // namespace testing_support

// Shared helpers of the tests: a captured console, a scratch folder, and
// running code that ends the process.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "platform/console.h"
#include "platform/process.h"
#include "platform/units.h"

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
#include <sys/resource.h>
#include <sys/wait.h>

#include <vector>

namespace testing_support {

struct RunResult {
  int status = -1;     // exit status, or -1 when the program did not exit normally
  std::string output;  // standard output and standard error together
};

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
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    if (data_limit != 0) {
      const rlimit limit{data_limit, data_limit};
      if (::setrlimit(RLIMIT_DATA, &limit) != 0) ::_exit(127);
    }
    const int in = ::open(in_file.c_str(), O_RDONLY);
    const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(out, 2);
    for (const int fd : closed) ::close(fd);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execv(exe.c_str(), args.data());
    ::_exit(127);
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  r.output = read_file(out_file);
  std::filesystem::remove(in_file);
  std::filesystem::remove(out_file);
  return r;
}

}  // namespace testing_support

// The seam between the console and what tests or harnesses put in its place.
//
// The process's console writes to file descriptor 1 and reads descriptor 0
// with buffers of its own, so that the executable carries no stream library.
// A redirection (console_streams.cpp) installs one of these instead.
#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::console::detail {

class Output {
 public:
  virtual ~Output() = default;
  virtual void write(std::string_view text) = 0;
  virtual void flush() = 0;
};

class Input {
 public:
  virtual ~Input() = default;
  // One line without its "\n"; nullopt at the end of input.
  virtual std::optional<std::string> read_line() = 0;
};

// Text written to a descriptor through a buffer of 64 KB.  Line by line, each
// line is written as it ends (a user watching a terminal sees every line at
// once, and all of them up to a kill); otherwise the text is written when the
// buffer fills or is flushed.  A failed write drops the text, as a stream in a
// failed state would: the console is never the reason a conversion stops.
class DescriptorOutput final : public Output {
 public:
  // Whether `fd` is written line by line: when it is a terminal.
  static bool line_by_line(int fd);

  DescriptorOutput(int fd, bool line_by_line) : fd_(fd), lines_(line_by_line) {}
  ~DescriptorOutput() override { flush(); }
  DescriptorOutput(const DescriptorOutput&) = delete;
  DescriptorOutput& operator=(const DescriptorOutput&) = delete;

  void write(std::string_view text) override;
  void flush() override;
  // Writes what the buffer holds and leaves it as it stands: only
  // async-signal-safe calls (see write_pending_at_exit()).
  void write_pending() const;

 private:
  void buffer(std::string_view text);

  int fd_;
  bool lines_;
  char buf_[64 * 1024];
  // Atomic for write_pending(), which a signal handler may call on another
  // thread: it sees the bytes that come before the count.
  std::atomic<std::size_t> used_ = 0;
};

// nullptr restores the process's own descriptors.
void install(Output* out);
void install(Input* in);

// Writes to descriptor 1 what the process's own console output holds and has
// not written yet, and leaves it as it stands; whatever is installed.  Only
// async-signal-safe calls: for a signal handler that ends the process
// (platform/mapping_guard.cpp), on any thread.
void write_pending_at_exit();

}  // namespace platform::console::detail

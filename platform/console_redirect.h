// The seam between the console and what tests or harnesses put in its place.
//
// The process's console writes to file descriptor 1 and reads descriptor 0
// with buffers of its own, so that the executable carries no stream library.
// A redirection (console_streams.cpp) installs one of these instead.
#pragma once

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

// nullptr restores the process's own descriptors.
void install(Output* out);
void install(Input* in);

}  // namespace platform::console::detail

// Ending the process.
#pragma once

namespace platform {

// Thrown by the test terminator in place of ending the process.
struct ProcessEnded {
  int status;
};

// A terminator receives the exit status after the console has been flushed
// and every connection closed.  It must not return.
using Terminator = void (*)(int status);

// Installs a terminator; nullptr restores the default (std::exit).
void set_terminator(Terminator terminator);

// Terminator for tests: throws ProcessEnded{status}.
[[noreturn]] void throw_process_ended(int status);

// Flushes the console, closes every unit connection and ends the process
// with the given status.
[[noreturn]] void end_process(int status);

}  // namespace platform

// Starting and ending the process.
#pragma once

namespace platform {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is not open (for
// reading on 0, for writing on 1 and 2).  A file opened later takes the lowest
// free descriptor: without this, a run started with a standard stream closed
// would read console answers from an input file, or write its console text
// into an output.  A closed input then reads as an input at its end, and a
// closed output drops the console text.  Called first thing in the process;
// when /dev/null cannot be opened, the process ends with status 1.
void reserve_standard_descriptors();

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

// For tests only: no option of the program reaches these.
namespace for_tests {

// The terminator installed now (nullptr: the default).
Terminator terminator();

}  // namespace for_tests

// Flushes the console, closes every unit connection and ends the process
// with the given status.
[[noreturn]] void end_process(int status);

}  // namespace platform

// Console output and input.
//
// Output is buffered and flushed before every read and at the end of the
// process; on a terminal each line is also written as it ends.  A line left
// open by put() stays open across a read: the next output continues it, as a
// terminal would show it when input is piped in.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace platform::console {

// Redirects the console (tests compare whole transcripts).  nullptr restores
// the process's standard output or input.
void set_output(std::ostream* out);
void set_input(std::istream* in);

// Writes text without ending the line.
void put(std::string_view text);
// Writes text and ends the line with "\n".
void line(std::string_view text);
// Writes "\n": ends an open line, or writes an empty line when none is open.
void empty_line();
// A free-form line: one blank, the text, "\n".
void free_line(std::string_view text);

// Reads one line (without its "\n" and one "\r" before it).  Flushes the
// output first.  nullopt at the end of input or on a read error.
std::optional<std::string> read_line();

void flush();

// For tests only: no option of the program reaches these.
namespace for_tests {

// The streams the console is redirected to now (nullptr: the process's own
// standard output or input).
std::ostream* output();
std::istream* input();
// Puts back a redirection taken with output() and input(), without flushing
// the one there is: its stream may be gone with the test that made it.
void redirect(std::ostream* out, std::istream* in);

}  // namespace for_tests

}  // namespace platform::console

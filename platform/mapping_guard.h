// Text inputs are mapped, not copied (platform/text_source.cpp), and another
// process may cut a mapped file short while it is read: the next touch of a
// page past the new end then raises SIGBUS, on whichever thread touches it,
// and the run would die with no message and with the console text it still
// buffers lost.  A mapping watched by a MappingGuard ends the run instead
// with what the console holds, an empty line,
// "ERROR - Input file changed while it was read: NAME" and status 1.
//
// The handler makes only async-signal-safe calls, finds the mapping in a
// fixed table that it reads without locks, and writes the process's own
// console buffer straight to descriptor 1 (never a redirected console).  A
// SIGBUS outside every watched mapping, or not raised by a fault, goes on to
// the handler that was there before (AddressSanitizer's, say) or, when
// there was none, to the default action.
//
// A cut that leaves the last page mapped raises no signal (the bytes past
// the new end read as zeros), and a file that grows or is written anew raises
// none either: the converter compares an input's state with its state at the
// open (platform/connections.h) and ends the run in the same way, through
// end_changed_input().
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::rt {

// Ends the run as a cut caught by the handler does: the console's text, an
// empty line, "ERROR - Input file changed while it was read: " and `name`,
// status 1.
[[noreturn]] void end_changed_input(std::string_view name);

class MappingGuard {
 public:
  // Watches the `size` bytes at `begin`, mapped from the input `name` (as it
  // was opened), until the guard goes: it must go before they are unmapped.
  // The first guard installs the handler.  When the table is full (some
  // hundred inputs mapped at once) the mapping is left unwatched.
  MappingGuard(const char* begin, std::size_t size, std::string name);
  ~MappingGuard();
  MappingGuard(const MappingGuard&) = delete;
  MappingGuard& operator=(const MappingGuard&) = delete;

 private:
  std::string name_;  // read by the handler while the guard lives
  int slot_ = -1;
};

}  // namespace platform::rt

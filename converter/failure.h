// How the converter ends a run that cannot go on.  Every fatal condition of
// the file loop, the readers and the time axis ends here: its message on the
// console, then EXITS, which closes what is open and ends with status 1.
#pragma once

#include <cstdint>
#include <string_view>

namespace conv {

// Ends the run when an input that is open for reading changed since it was
// opened: "ERROR - Input file changed while it was read: NAME" and status 1
// (platform/mapping_guard.h).  A table read from such an input could be
// neither the file as opened nor as it is now, so the loop asks before it
// writes one.
void end_if_input_changed();

// Ends the run: an empty line (unless `after_empty_line` is false), the
// message, then EXITS.  A read or format error of an input that changed
// meanwhile is reported as that change instead.
[[noreturn]] void fail(std::string_view message, bool after_empty_line = true);

// Ends the run: "ERROR - Reading input file at line" and the line number in
// 12 columns (no empty line before it).
[[noreturn]] void read_error_at(std::int64_t line);

// Ends the run: an empty line, "ERROR - Exceeded maximum number of ", the
// limit and `ending` (" WBNM time-series allowed.", ...).
[[noreturn]] void capacity_exceeded(std::int64_t limit, std::string_view ending);

}  // namespace conv

// The orderly exit: every unit the file-unit manager holds is closed (an
// output that could not be written completely is reported and fails the
// run), the run pauses unless told not to, and the process ends.
#pragma once

#include <cstdint>

namespace lib {

// Closes the manager's open units, pauses ("Press Enter to Close") and ends
// the process.  The status is 1 after a fatal message, 0 for a normal end; an
// output whose buffered writes failed is reported and makes it 1.
[[noreturn]] void EXITS(int status = 1);
// Closes a unit of the manager; false (after the message "ERROR - Writing
// output file " and its name) when its output could not be written completely.
bool close_reporting_unwritten(std::int32_t unit);

}  // namespace lib

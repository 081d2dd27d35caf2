// Reading and cleaning one line of a control or data file: the next record
// of an open unit with its TABs removed, left-adjusted and its comment cut
// off.  A comment starts at the first "#" or "!" of the line, quoted or not.
#pragma once

#include <cstdint>

#include "library/ftext.h"

namespace lib {

// Left-adjusts LINE and cuts it before its first "#" or "!"; true when the
// line was blank or started with "#" or "!" (judged before the cut).
bool COMMENTLINE(FText& line);
// Reads the next record of UNIT into LINE (cut at its capacity), removes its
// TABs, left-adjusts it and cuts its comment; true for a useful line (not
// blank, not starting with "#" or "!").  End of file (ERROR 0202) and read
// errors (ERROR 0201), an unconnected unit among them, are reported through
// the message module and end the process through EXITS.
bool READLINE(std::int32_t unit, FText& line);

}  // namespace lib

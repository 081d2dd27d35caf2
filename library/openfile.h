// The open routine behind every open of the file-unit manager.
#pragma once

#include <cstdint>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// Opens FNAME on IUNIT as the two-character type code FTYPE says, with the
// console prompts and retries: a missing input is asked for again, an output
// that cannot be created is retried.  Returns when the file is open (or, for
// a failed append open, with IUNIT 0); FNAME may be rewritten (cleaned, or a
// name the user typed).  DESCR names the file in the prompt.
void OPENFILE(std::int32_t& IUNIT, FText& FNAME, std::int32_t unused1, std::string_view FTYPE,
              std::string_view DESCR, std::int32_t unused2, std::int32_t LOGUNIT);

// True for the codes that open an existing file for reading.
bool is_input_code(std::string_view ftype);

}  // namespace lib

// Case-insensitive marker and keyword tests on lines of input and control files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// True when FLAG, without trailing blanks (its leading blanks kept), occurs in
// LINE ignoring ASCII case.  A blank FLAG occurs in every line.  No copies.
bool FLAGEXISTS(std::string_view line, std::string_view flag) noexcept;
// As FLAGEXISTS; REST receives LINE from just after the flag to the end of
// LINE's capacity (all blank when the flag is absent).  Capacity-sensitive:
// pass LINE with its trailing blanks.
bool FLAGEXISTSRET(std::string_view line, std::string_view flag, FText& rest);
// LINE holds "Read MI " or "Read GIS " followed by KEY (trimmed).
bool READGIS(std::string_view line, std::string_view key);
// LINE holds "Write MI " or "Write GIS " followed by KEY.
bool WRITEGIS(std::string_view line, std::string_view key);
// LINE holds "Read MID " or "Read RowCol " followed by KEY.
bool READROWCOL(std::string_view line, std::string_view key);
// Splits LINE at SEP (searched with its whole capacity) or at column NCOL into
// COMMAND and VALUE; true when the command part carries KEY (or KEY is "*").
// Capacity-sensitive in LINE and SEP.
bool CHECKLINE(std::string_view line, std::string_view key, std::string_view sep, std::int32_t ncol, FText& value,
               FText& command);

// Position (0-based) of the first occurrence of FLAG without its trailing
// blanks in LINE without its trailing blanks, ignoring ASCII case; 0 for a
// blank FLAG, npos when absent.  The search behind FLAGEXISTS.
std::size_t find_flag(std::string_view line, std::string_view flag) noexcept;

}  // namespace lib

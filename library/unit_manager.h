// File-unit manager: hands out unit numbers from 8 fixed slots and a pool of
// 1000, opens files on them through OPENFILE and records which are open.
#pragma once

#include <cstdint>
#include <string_view>

#include "library/ftext.h"

namespace lib {

// Opens FNAME (trimmed; the caller's text is not changed) on the first free
// pool unit with type code FTYPE.  IARG is accepted and not used.
void OPENFREE(std::int32_t& IUNIT, std::string_view FTYPE, std::string_view FNAME, std::int32_t IARG = 0);
// Opens a name derived from fixed slot 1's name, PREFIX (2) and SUFFIX (4).
void OPENDERIVED(std::int32_t& IUNIT, std::string_view FTYPE, std::string_view PREFIX, std::string_view SUFFIX);
// Closes a unit the manager handed out ("...Closed File Unit:"), sets IUNIT to 0.
void CLOSER(std::int32_t& IUNIT);
// Closes every unit the manager holds open.
void CLOSEALL();
// Kind code of the pool slot of IUNIT (0 when none).
std::int32_t UNITKIND(std::int32_t IUNIT);
// Opens fixed slot N with its stored name.
void OPENER(std::int32_t N, std::int32_t& IUNIT, std::string_view FTYPE, std::string_view DESCR, std::int32_t IPROMPT);
void OPENERNAME(std::int32_t N, std::int32_t& IUNIT, std::string_view NAME, std::string_view FTYPE,
                std::string_view DESCR, std::int32_t IPROMPT);
void OPENERPREFIX(std::int32_t N, std::int32_t& IUNIT, std::string_view FTYPE, std::string_view DESCR,
                  std::int32_t IPROMPT, std::string_view PREFIX);
// Opens fixed slot 1 as "input" and fixed slot 2 as "output".
void OPENINOUT();
void CLRNAM(std::int32_t N);
bool NAMED(std::int32_t N);
// NAME receives the first 80 characters of slot N's name.
void GETNAM(std::int32_t N, FText& NAME);

}  // namespace lib

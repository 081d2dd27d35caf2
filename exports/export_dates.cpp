// The date routines under their exported names, with the calling convention
// of a Fortran host (see library/fortran_abi.h).
#include <cstddef>
#include <cstdint>

#include "library/dates.h"
#include "library/fortran_abi.h"

using lib::abi::text;

FLOWTAB_EXPORT double URBSDATEHOURS(const char* datestr, std::size_t datestr_len) {
  return lib::URBSDATEHOURS(text(datestr, datestr_len));
}

FLOWTAB_EXPORT std::int32_t NUMBEROFDAYS(const char* date, std::size_t date_len) {
  return lib::NUMBEROFDAYS(text(date, date_len));
}

// Exported names of the message module and of the line reading that reports
// through it, with the calling convention of a Fortran host (see
// library/fortran_abi.h).  The DMESSAGES block itself is defined with C
// linkage by the module (library/messages.cpp).
#include <cstddef>
#include <cstdint>

#include "library/fortran_abi.h"
#include "library/linereading.h"
#include "library/messages.h"

using lib::FText;
using lib::abi::flogical;
using lib::abi::to_flogical;

FLOWTAB_EXPORT void DMESSAGE(const std::int32_t* n) { lib::DMESSAGE(*n); }

FLOWTAB_EXPORT void DMESSAGEXY(const std::int32_t* n, const double* x, const double* y) {
  lib::DMESSAGEXY(*n, *x, *y);
}

FLOWTAB_EXPORT void DMESSAGECLEAR() { lib::DMESSAGECLEAR(); }

FLOWTAB_EXPORT void DMESSAGERESETCOUNTERS() { lib::DMESSAGERESETCOUNTERS(); }

FLOWTAB_EXPORT void DLINE(const std::int32_t* unit) { lib::DLINE(*unit); }

FLOWTAB_EXPORT flogical COMMENTLINE(char* line, std::size_t line_len) {
  return to_flogical(lib::abi::in_place(line, line_len, [](FText& t) { return lib::COMMENTLINE(t); }));
}

FLOWTAB_EXPORT flogical READLINE(const std::int32_t* unit, char* line, std::size_t line_len) {
  return to_flogical(lib::abi::in_place(line, line_len, [&](FText& t) { return lib::READLINE(*unit, t); }));
}

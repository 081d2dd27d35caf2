// The number-text routines under their exported names, with the calling
// convention of a Fortran host (see library/fortran_abi.h).
#include <cstddef>
#include <cstdint>

#include "library/fortran_abi.h"
#include "library/numtext.h"

using lib::abi::store;
using lib::abi::text;
using lib::abi::to_flogical;

FLOWTAB_EXPORT void AINTEGER(char* res, std::size_t reslen, const std::int32_t* i) {
  store(res, reslen, lib::AINTEGER(*i));
}

FLOWTAB_EXPORT void AINTEGER8(char* res, std::size_t reslen, const std::int64_t* i) {
  store(res, reslen, lib::AINTEGER8(*i));
}

FLOWTAB_EXPORT void AINTEGERPREC0(char* res, std::size_t reslen, const std::int32_t* i, const std::int32_t* ndig) {
  store(res, reslen, lib::AINTEGERPREC0(*i, *ndig));
}

FLOWTAB_EXPORT void AINTEGER8PREC0(char* res, std::size_t reslen, const std::int64_t* i, const std::int32_t* ndig) {
  store(res, reslen, lib::AINTEGER8PREC0(*i, *ndig));
}

FLOWTAB_EXPORT void AREAL(char* res, std::size_t reslen, const float* x) { store(res, reslen, lib::AREAL(*x)); }

FLOWTAB_EXPORT void AREAL8(char* res, std::size_t reslen, const double* x) { store(res, reslen, lib::AREAL8(*x)); }

FLOWTAB_EXPORT void AREALD(char* res, std::size_t reslen, const float* x, const std::int32_t* d) {
  store(res, reslen, lib::AREALD(*x, *d));
}

FLOWTAB_EXPORT void AREALD8(char* res, std::size_t reslen, const double* x, const std::int32_t* d) {
  store(res, reslen, lib::AREALD8(*x, *d));
}

FLOWTAB_EXPORT std::int32_t NUMBEROFNUMBERS(const char* line, std::size_t line_len) {
  return lib::NUMBEROFNUMBERS(text(line, line_len));
}

FLOWTAB_EXPORT std::int32_t CHECKINT(const char* str, std::int32_t* ival, std::size_t str_len) {
  return to_flogical(lib::CHECKINT(text(str, str_len), *ival));
}

FLOWTAB_EXPORT std::int32_t CHECKINT4(const char* str, std::int32_t* ival, std::size_t str_len) {
  return to_flogical(lib::CHECKINT4(text(str, str_len), *ival));
}

FLOWTAB_EXPORT std::int32_t CHECKINT8(const char* str, std::int64_t* ival, std::size_t str_len) {
  return to_flogical(lib::CHECKINT8(text(str, str_len), *ival));
}

FLOWTAB_EXPORT std::int32_t NUMBEROFSUBSTRINGS(char* str, const char* sep, std::size_t str_len, std::size_t sep_len) {
  return lib::abi::in_place(str, str_len, [&](lib::FText& t) { return lib::NUMBEROFSUBSTRINGS(t, text(sep, sep_len)); });
}

FLOWTAB_EXPORT void SUBSTRING(char* res, std::size_t reslen, const char* str, const char* sep, const std::int32_t* n,
                              std::size_t str_len, std::size_t sep_len) {
  store(res, reslen, lib::SUBSTRING(text(str, str_len), text(sep, sep_len), *n));
}

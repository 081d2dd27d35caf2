// Exported names of the CSV field and keyword-value routines, with the
// calling convention of a Fortran host (see library/fortran_abi.h).
#include <cstddef>
#include <cstdint>

#include "library/csvfields.h"
#include "library/fortran_abi.h"

using lib::abi::flogical;
using lib::abi::store;
using lib::abi::text;
using lib::abi::to_flogical;

FLOWTAB_EXPORT std::int32_t CSVCOLUMN(const char* line, const char* name, const std::int32_t* notfound,
                                      std::size_t line_len, std::size_t name_len) {
  return lib::CSVCOLUMN(text(line, line_len), text(name, name_len), *notfound);
}

FLOWTAB_EXPORT flogical CSVVALUE(const char* line, const std::int32_t* icol, float* value, std::size_t line_len) {
  return to_flogical(lib::CSVVALUE(text(line, line_len), *icol, *value));
}

FLOWTAB_EXPORT std::int32_t EXTRACTINTEGER(const char* line, const char* lcline, const char* key,
                                           const std::int32_t* icol, const std::int32_t* default_value,
                                           std::size_t line_len, std::size_t lcline_len, std::size_t key_len) {
  return lib::EXTRACTINTEGER(text(line, line_len), text(lcline, lcline_len), text(key, key_len), *icol,
                             *default_value);
}

FLOWTAB_EXPORT float EXTRACTREAL(const char* line, const char* lcline, const char* key, const std::int32_t* icol,
                                 const float* default_value, std::size_t line_len, std::size_t lcline_len,
                                 std::size_t key_len) {
  return lib::EXTRACTREAL(text(line, line_len), text(lcline, lcline_len), text(key, key_len), *icol, *default_value);
}

FLOWTAB_EXPORT void EXTRACTSTRING(char* res, std::size_t res_len, const char* line, const char* lcline,
                                  const char* key, const std::int32_t* icol, std::size_t line_len,
                                  std::size_t lcline_len, std::size_t key_len) {
  store(res, res_len, lib::EXTRACTSTRING(text(line, line_len), text(lcline, lcline_len), text(key, key_len), *icol));
}

FLOWTAB_EXPORT void EXTRACTSTRINGREM(char* res, std::size_t res_len, const char* line, const char* lcline,
                                     const char* key, const std::int32_t* icol, std::size_t line_len,
                                     std::size_t lcline_len, std::size_t key_len) {
  store(res, res_len,
        lib::EXTRACTSTRINGREM(text(line, line_len), text(lcline, lcline_len), text(key, key_len), *icol));
}

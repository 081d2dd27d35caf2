// Exported names of the text transforms, with the calling convention of a
// Fortran host (see library/fortran_abi.h).  A result whose outcome depends
// on its length gets the length of the caller's result buffer.
#include <cstddef>

#include "library/fortran_abi.h"
#include "library/transforms.h"

using lib::abi::store;
using lib::abi::text;

FLOWTAB_EXPORT void REMOVESPACES(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::REMOVESPACES(text(str, str_len)));
}

FLOWTAB_EXPORT void ALPHANUMERICONLY(char* res, std::size_t res_len, const char* str, const char* ch,
                                     std::size_t str_len, std::size_t ch_len) {
  store(res, res_len, lib::ALPHANUMERICONLY(text(str, str_len), text(ch, ch_len), res_len));
}

FLOWTAB_EXPORT void CLEANATTRIBUTENAME(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::CLEANATTRIBUTENAME(text(str, str_len)));
}

FLOWTAB_EXPORT void DOUBLEQUOTE(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::DOUBLEQUOTE(text(str, str_len)));
}

FLOWTAB_EXPORT void REPLACE(char* res, std::size_t res_len, const char* str, const char* old, const char* neu,
                            std::size_t str_len, std::size_t old_len, std::size_t neu_len) {
  store(res, res_len, lib::REPLACE(text(str, str_len), text(old, old_len), text(neu, neu_len)));
}

FLOWTAB_EXPORT void REPLACEALL(char* res, std::size_t res_len, const char* str, const char* old, const char* neu,
                               std::size_t str_len, std::size_t old_len, std::size_t neu_len) {
  store(res, res_len, lib::REPLACEALL(text(str, str_len), text(old, old_len), text(neu, neu_len), res_len));
}

// Exported names of the text, keyword and path routines, with the calling
// convention of a Fortran host (see library/fortran_abi.h): every argument by
// reference, the lengths of character arguments appended in argument order,
// a character result in the buffer given first, logicals as -1/0.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "library/fortran_abi.h"
#include "library/keywords.h"
#include "library/paths.h"
#include "library/text_basics.h"

namespace {

using lib::FText;
using lib::abi::flogical;
using lib::abi::store;
using lib::abi::text;
using lib::abi::to_flogical;

// Fills an out text argument of the caller, cut or padded to its length.
template <class F>
bool fill_out(char* p, std::size_t n, F&& f) {
  FText t(n);
  const bool r = f(t);
  store(p, n, t.view());
  return r;
}

}  // namespace

// ---- blank-padded text basics ----

// OUT receives 256 characters, or as many as its length allows when shorter;
// nothing is written past its end.
FLOWTAB_EXPORT void SS256(char* out, const char* str, std::size_t out_len, std::size_t str_len) {
  store(out, std::min<std::size_t>(out_len, 256), lib::SS256(text(str, str_len)));
}

FLOWTAB_EXPORT void TRIMF(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::TRIMF(text(str, str_len)));
}

FLOWTAB_EXPORT flogical NUMBERLINE(char* line, std::size_t line_len) {
  return to_flogical(lib::abi::in_place(line, line_len, [](FText& t) { return lib::NUMBERLINE(t); }));
}

FLOWTAB_EXPORT flogical POSITIVEINTEGERNUMBER(char* str, std::size_t str_len) {
  return to_flogical(lib::abi::in_place(str, str_len, [](FText& t) { return lib::POSITIVEINTEGERNUMBER(t); }));
}

FLOWTAB_EXPORT flogical BLANK(char* str, std::size_t str_len) {
  return to_flogical(lib::abi::in_place(str, str_len, [](FText& t) { return lib::BLANK(t); }));
}

FLOWTAB_EXPORT flogical ASAME(const char* a, const char* b, std::size_t a_len, std::size_t b_len) {
  return to_flogical(lib::ASAME(text(a, a_len), text(b, b_len)));
}

FLOWTAB_EXPORT flogical ASAMECS(const char* a, const char* b, std::size_t a_len, std::size_t b_len) {
  return to_flogical(lib::ASAMECS(text(a, a_len), text(b, b_len)));
}

FLOWTAB_EXPORT void REMOVEQUOTES(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::REMOVEQUOTES(text(str, str_len)));
}

FLOWTAB_EXPORT void UPPERCASE(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::UPPERCASE(text(str, str_len)));
}

FLOWTAB_EXPORT void LOWERCASE(char* res, std::size_t res_len, const char* str, std::size_t str_len) {
  store(res, res_len, lib::LOWERCASE(text(str, str_len)));
}

// ---- keyword and line tests ----

FLOWTAB_EXPORT flogical FLAGEXISTS(const char* line, const char* flag, std::size_t line_len, std::size_t flag_len) {
  return to_flogical(lib::FLAGEXISTS(text(line, line_len), text(flag, flag_len)));
}

FLOWTAB_EXPORT flogical FLAGEXISTSRET(const char* line, const char* flag, char* rest, std::size_t line_len,
                                      std::size_t flag_len, std::size_t rest_len) {
  return to_flogical(fill_out(rest, rest_len, [&](FText& r) {
    return lib::FLAGEXISTSRET(text(line, line_len), text(flag, flag_len), r);
  }));
}

FLOWTAB_EXPORT flogical READGIS(const char* line, const char* key, std::size_t line_len, std::size_t key_len) {
  return to_flogical(lib::READGIS(text(line, line_len), text(key, key_len)));
}

FLOWTAB_EXPORT flogical WRITEGIS(const char* line, const char* key, std::size_t line_len, std::size_t key_len) {
  return to_flogical(lib::WRITEGIS(text(line, line_len), text(key, key_len)));
}

FLOWTAB_EXPORT flogical READROWCOL(const char* line, const char* key, std::size_t line_len, std::size_t key_len) {
  return to_flogical(lib::READROWCOL(text(line, line_len), text(key, key_len)));
}

FLOWTAB_EXPORT flogical CHECKLINE(const char* line, const char* key, const char* sep, const std::int32_t* ncol,
                                  char* value, char* command, std::size_t line_len, std::size_t key_len,
                                  std::size_t sep_len, std::size_t value_len, std::size_t command_len) {
  FText v(value_len), c(command_len);
  const bool r = lib::CHECKLINE(text(line, line_len), text(key, key_len), text(sep, sep_len), *ncol, v, c);
  store(value, value_len, v.view());
  store(command, command_len, c.view());
  return to_flogical(r);
}

// ---- file names and paths ----

FLOWTAB_EXPORT void FILENAMEPATH(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILENAMEPATH(text(path, path_len)));
}

FLOWTAB_EXPORT void FILEEXT(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILEEXT(text(path, path_len)));
}

FLOWTAB_EXPORT void FILENAME(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILENAME(text(path, path_len)));
}

FLOWTAB_EXPORT void FILEEXTKC(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILEEXTKC(text(path, path_len)));
}

FLOWTAB_EXPORT void FILENAMEEXT(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILENAMEEXT(text(path, path_len)));
}

FLOWTAB_EXPORT void FILEFOLDERPATH(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILEFOLDERPATH(text(path, path_len)));
}

FLOWTAB_EXPORT void FILENAMENO_(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILENAMENO_(text(path, path_len)));
}

FLOWTAB_EXPORT void FILE___EXT(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILE___EXT(text(path, path_len)));
}

FLOWTAB_EXPORT void FILENAMEPATHNO_(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::FILENAMEPATHNO_(text(path, path_len)));
}

FLOWTAB_EXPORT void REMOVEDOTDOT(char* res, std::size_t res_len, const char* path, std::size_t path_len) {
  store(res, res_len, lib::REMOVEDOTDOT(text(path, path_len)));
}

FLOWTAB_EXPORT void ADDFOLDER(char* res, std::size_t res_len, const char* folder, const char* file,
                              std::size_t folder_len, std::size_t file_len) {
  store(res, res_len, lib::ADDFOLDER(text(folder, folder_len), text(file, file_len)));
}

FLOWTAB_EXPORT void CLEANPATH(char* res, std::size_t res_len, char* path, std::size_t path_len) {
  const std::string r = lib::abi::in_place(path, path_len, [](FText& t) { return lib::CLEANPATH(t); });
  store(res, res_len, r);
}

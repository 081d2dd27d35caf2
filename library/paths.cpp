#include "library/paths.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "library/text_basics.h"

// Positions in this file are 1-based (0 meaning "none"), as the path rules are
// stated that way; sub() turns a 1-based inclusive range into a view.
namespace lib {

namespace {

constexpr std::size_t kWork = 1000;  // capacity of the paths' work texts

inline bool is_sep(char c) { return c == '/' || c == '\\'; }

// 1-based position of the last c in s, 0 when there is none.
std::size_t last_pos(std::string_view s, char c) {
  const std::size_t i = s.rfind(c);
  return i == std::string_view::npos ? 0 : i + 1;
}

// 1-based position of the last '/' or '\' in s, 0 when there is none.
std::size_t last_sep(std::string_view s) {
  const std::size_t i = s.find_last_of("/\\");
  return i == std::string_view::npos ? 0 : i + 1;
}

// 1-based position of the first occurrence of t in s at or after 1-based
// position from, 0 when there is none.
std::size_t find_pos(std::string_view s, std::string_view t, std::size_t from = 1) {
  const std::size_t i = s.find(t, from - 1);
  return i == std::string_view::npos ? 0 : i + 1;
}

// s(a:b), 1-based and inclusive; empty when b < a.
std::string_view sub(std::string_view s, std::size_t a, std::size_t b) {
  if (a == 0 || b < a || a > s.size()) return {};
  return s.substr(a - 1, b - a + 1);
}
// s(a:), 1-based, to the end of s.
std::string_view from(std::string_view s, std::size_t a) { return a > s.size() ? std::string_view{} : s.substr(a - 1); }

std::string trimmed(std::string_view s) { return std::string(trim_right(s)); }

// The file name without folder and extension, trimmed and cut at the work
// capacity (the intermediate name of the "_" routines).
std::string work_name(std::string_view path) { return std::string(cut(trim_right(FILENAME(path)), kWork)); }

// Removes each "\..\" step together with the folder before it.  A chain of
// leading ".." steps cannot be resolved; the search looks past it, and the
// pass ends when nothing lies behind the chain.
void resolve_parent_steps(std::string& r) {
  for (std::size_t q = find_pos(r, "\\..\\"); q > 1; q = find_pos(r, "\\..\\")) {
    while (q > 2 && sub(r, q - 2, q - 1) == "..") {
      const std::size_t next = find_pos(r, "\\..\\", q + 4);
      if (next == 0 || next == q + 4) return;
      q = next;
    }
    const std::size_t b = last_pos(sub(r, 1, q - 1), '\\');
    r = std::string(sub(r, 1, b)) + std::string(from(r, q + 4));
  }
}

// The three cleaning passes on a left-adjusted, trimmed path.
void dotdot_passes(std::string& r) {
  // 1. Doubled backslashes from position 3 on; a pair at position 1 or 2 ends the pass.
  for (std::size_t q = find_pos(r, "\\\\"); q >= 3; q = find_pos(r, "\\\\")) r.erase(q, 1);

  // 2. Parent steps.
  resolve_parent_steps(r);

  // 3. Current-folder steps.
  for (std::size_t c = find_pos(r, "\\.\\"); c != 0; c = find_pos(r, "\\.\\")) r.erase(c, 2);
}

}  // namespace

std::string FILENAMEPATH(std::string_view path) {
  const std::size_t p = last_pos(path, '.');
  const std::size_t s = last_sep(path);
  if (p > 1 && p > s) return std::string(sub(path, 1, p - 1));
  return trimmed(path);
}

std::string FILEEXT(std::string_view path) {
  const std::size_t p = last_pos(path, '.');
  const std::size_t s = last_sep(path);
  if (p == 0 || p <= s) return {};
  return std::string(cut(LOWERCASE(sub(path, p, len_trim(path))), kWork));
}

std::string FILENAME(std::string_view path) {
  const std::size_t p = last_pos(path, '.');
  const std::size_t s = last_sep(path);
  const std::size_t n = len_trim(path);
  if (s == 0) {
    if (p == 0) return trimmed(path);
    if (p == 1) return {};
    return std::string(sub(path, 1, p - 1));
  }
  const std::size_t end = p > s + 1 ? p - 1 : n;
  return std::string(sub(path, s + 1, end));
}

std::string FILEEXTKC(std::string_view path) {
  const std::size_t p = last_pos(path, '.');
  const std::size_t s = last_sep(path);
  if (p == 0 || p <= s) return {};
  return std::string(sub(path, p, len_trim(path)));
}

std::string FILENAMEEXT(std::string_view path) {
  const std::size_t s = last_sep(path);
  return trimmed(s > 0 ? from(path, s + 1) : path);
}

std::string FILEFOLDERPATH(std::string_view path) {
  const std::size_t s = last_sep(path);
  return std::string(sub(path, 1, s));
}

std::string FILENAMENO_(std::string_view path) {
  const std::string n = work_name(path);
  const std::size_t u = last_pos(n, '_');
  if (u == 0) return n;
  return std::string(sub(n, 1, u - 1));
}

std::string FILE___EXT(std::string_view path) {
  const std::string n = work_name(path);
  const std::size_t u = last_pos(n, '_');
  if (u == 0) return {};
  return LOWERCASE(from(n, u));
}

std::string FILENAMEPATHNO_(std::string_view path) {
  const std::string t(cut(trim_right(FILENAMEPATH(path)), kWork));
  const std::size_t u = last_pos(t, '_');
  const std::size_t sep = last_sep(t);
  if (u > 1 && u > sep) return std::string(sub(t, 1, u - 1));
  return t;
}

std::string REMOVEDOTDOT(std::string_view path) {
  std::string r(cut(trim_both(path), kWork));
  dotdot_passes(r);
  return r;
}

std::string ADDFOLDER(std::string_view folder, std::string_view file) {
  std::string r;
  if (is_blank(file)) {
    r = is_blank(folder) ? std::string(".") : std::string(trim_both(folder));
  } else if (is_blank(folder)) {
    r = trim_both(file);
  } else if (file.find(':') != std::string_view::npos || file.find("\\\\") != std::string_view::npos) {
    r = trim_both(file);  // an absolute FILE is taken as it is
  } else {
    const std::string_view dir = trim_right(folder);
    r = dir;
    if (!is_sep(dir.back())) r += '\\';
    r += trim_both(file);
  }
  r = std::string(trim_both(cut(r, kWork)));
  dotdot_passes(r);
  return r;
}

std::string CLEANPATH(FText& path) {
  std::string r(cut(trim_both(path.view()), kWork));
  // Reduce the later of the first "\\" and the first "//" while it does not
  // stand at position 1.
  for (;;) {
    const std::size_t m = std::max(find_pos(r, "\\\\"), find_pos(r, "//"));
    if (m <= 1) break;
    r.erase(m, 1);
  }
  path.assign(r);
  return trimmed(path.view());
}

void RELATIVEPATH(FText& path) {
  path.assign(cut(trim_both(path.view()), kWork));
  const std::string_view v = path.view();
  if (const std::size_t c = find_pos(v, ":"); c != 0)
    path.assign(cut(UPPERCASE(sub(v, 1, c - 1)) + " Drive" + trimmed(from(v, c + 1)), kWork));
  if (v.starts_with("\\\\") || v.starts_with("//")) path.assign(cut("URL\\" + trimmed(from(v, 3)), kWork));
}

}  // namespace lib

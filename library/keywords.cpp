#include "library/keywords.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace lib {

namespace {

inline unsigned char fold(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 32) : u;
}

}  // namespace

std::size_t find_flag(std::string_view line, std::string_view flag) noexcept {
  const std::string_view hay = trim_right(line);
  const std::string_view needle = trim_right(flag);
  if (needle.empty()) return 0;
  if (needle.size() > hay.size()) return std::string_view::npos;
  const unsigned char first = fold(needle[0]);
  const std::size_t last_start = hay.size() - needle.size();
  for (std::size_t i = 0; i <= last_start; ++i) {
    if (fold(hay[i]) != first) continue;
    std::size_t k = 1;
    while (k < needle.size() && fold(hay[i + k]) == fold(needle[k])) ++k;
    if (k == needle.size()) return i;
  }
  return std::string_view::npos;
}

namespace {

// FLAGEXISTS of LINE for each of two prefixes followed by KEY without its
// trailing blanks.
bool prefixed_key(std::string_view line, std::string_view key, std::string_view prefix1,
                  std::string_view prefix2) {
  const std::string_view k = trim_right(key);
  std::string s;
  s.reserve(prefix1.size() + prefix2.size() + k.size());
  s.append(prefix1).append(k);
  if (FLAGEXISTS(line, s)) return true;
  s.assign(prefix2).append(k);
  return FLAGEXISTS(line, s);
}

}  // namespace

bool FLAGEXISTS(std::string_view line, std::string_view flag) noexcept {
  return find_flag(line, flag) != std::string_view::npos;
}

bool FLAGEXISTSRET(std::string_view line, std::string_view flag, FText& rest) {
  const std::size_t i = find_flag(line, flag);
  if (i == std::string_view::npos) {
    rest.assign({});
    return false;
  }
  // Everything after the flag up to the end of LINE's capacity.
  rest.assign(line.substr(i + len_trim(flag)));
  return true;
}

bool READGIS(std::string_view line, std::string_view key) {
  return prefixed_key(line, key, "Read MI ", "Read GIS ");
}

bool WRITEGIS(std::string_view line, std::string_view key) {
  return prefixed_key(line, key, "Write MI ", "Write GIS ");
}

bool READROWCOL(std::string_view line, std::string_view key) {
  return prefixed_key(line, key, "Read MID ", "Read RowCol ");
}

bool CHECKLINE(std::string_view line, std::string_view key, std::string_view sep, std::int32_t ncol, FText& value,
               FText& command) {
  // A split column outside the line is taken as its nearest end.
  const std::size_t col = static_cast<std::size_t>(std::clamp<std::int64_t>(ncol, 0, static_cast<std::int64_t>(line.size())));
  bool sep_found = false;
  std::string_view val, cmd;
  if (!is_blank(sep)) {
    // The separator is searched with all its characters, trailing blanks included.
    const std::size_t p = line.find(sep);
    if (p != std::string_view::npos) {
      sep_found = true;
      val = line.substr(p + sep.size());
      cmd = line.substr(0, p);
    } else if (col != 0) {
      val = line.substr(col);
      cmd = line.substr(0, col);
    } else {
      cmd = line;
    }
  } else {
    val = line.substr(col);
    cmd = line.substr(0, col);
  }
  // LINE may be the caller's VALUE or COMMAND text: keep the command part
  // before either is rewritten.
  const std::string cmd_part(cmd);
  value.assign(val);
  command.assign(cmd_part);

  const bool key_found = FLAGEXISTS(command.view(), key) || eq_padded(key, "*");
  return key_found && (!command.blank() || (!sep_found && col == 0));
}

}  // namespace lib

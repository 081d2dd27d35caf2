#include "library/csvfields.h"

#include <algorithm>

#include "library/exits.h"
#include "library/ffmt.h"
#include "library/messages.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace lib {

namespace {

constexpr std::size_t npos = std::string_view::npos;

inline bool is_quote(char c) { return c == '"' || c == '\''; }

// Position of the first SEP outside quotation marks in T from position S up
// to T's significant length; npos when there is none.  A quote that is the
// last character scanned is a single quote (nothing past the text is read).
std::size_t find_unquoted(std::string_view t, std::size_t s, char sep) {
  const std::size_t end = len_trim(t);
  bool quoted = false;
  for (std::size_t i = s; i < end; ++i) {
    const char c = t[i];
    if (quoted) {
      if (is_quote(c) && i + 1 < end && t[i + 1] == c)
        ++i;  // a doubled quote stands for one and keeps the quotation open
      else if (is_quote(c))
        quoted = false;
    } else if (is_quote(c)) {
      quoted = true;
    } else if (c == sep) {
      return i;
    }
  }
  return npos;
}

// Where the value of a field ends: before its comma, or at the end of the text.
std::size_t field_end(std::string_view t, std::size_t start) {
  const std::size_t c = find_unquoted(t, start, ',');
  return c != npos ? c : len_trim(t);
}

enum class Reach { Field, Rest };

// The value text of KEY or of field ICOL: quote characters removed,
// left-adjusted, trailing blanks dropped.
std::string extract_value(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol,
                          Reach reach) {
  std::string_view value;
  const std::size_t p = is_blank(key) ? npos : lcline.find(LOWERCASE(key));
  if (p != npos) {
    const std::string_view r = line.substr(std::min(line.size(), p + len_trim(key)));
    const std::size_t e = r.find('=');
    if (e == npos) fatal_message("ERROR 0203 - No \"=\" sign found after keyword \"" + std::string(trim_right(key)) + "\".");
    const std::size_t start = e + 1;
    const std::size_t end = reach == Reach::Rest ? r.size() : field_end(r, start);
    if (end > start) value = r.substr(start, end - start);
  } else if (icol >= 1) {
    std::size_t start = 0;
    for (std::int32_t k = 1; k < icol; ++k) {
      const std::size_t c = find_unquoted(line, start, ',');
      if (c == npos) return {};
      start = c + 1;
    }
    const std::size_t end = field_end(line, start);
    if (end <= start) return {};
    value = reach == Reach::Rest ? line.substr(start) : line.substr(start, end - start);
  }
  const std::string v = REMOVEQUOTES(value);
  return v.substr(first_sig(v));
}

[[noreturn]] void conversion_failure(std::string_view v, std::int32_t icol, std::string_view target,
                                     std::string_view key) {
  std::string text = " Could not convert \"";
  text.append(trim_right(v)).append("\" in column");
  ffmt::put_I(text, 3, icol);
  text.append(target).append(trim_right(key)).append(" field.");
  platform::console::line(text);
  EXITS(1);
}

// One number read free-form from the value; a null value or a slash finds
// no value and fails like a read error.
template <class T>
T extract_number(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol,
                 T default_value, std::string_view target) {
  const std::string v = extract_value(line, lcline, key, icol, Reach::Field);
  if (v.empty()) return default_value;
  ffmt::ListReader reader(v);
  T x{};
  if (reader.read(x) != ffmt::kOk || !reader.value_read()) conversion_failure(v, icol, target, key);
  return x;
}

}  // namespace

std::int32_t CSVCOLUMN(std::string_view line, std::string_view name, std::int32_t notfound) {
  const std::string w = REMOVETABS(line);  // without trailing blanks: the rest is blank from w.size() on
  std::int32_t k = 0;
  for (std::size_t pos = 0; pos < w.size();) {
    ++k;
    const std::size_t c = w.find(',', pos);
    const std::size_t end = c != npos ? c : w.size();
    if (ASAME(std::string_view(w).substr(pos, end - pos), name)) return k;
    if (c == npos) break;
    pos = c + 1;
  }
  return notfound;
}

bool CSVVALUE(std::string_view line, std::int32_t icol, float& value) {
  value = 0.0f;
  std::string_view w = line;
  for (std::int32_t k = 1; k < icol; ++k) {
    const std::size_t c = w.find(',');
    if (c == npos) return false;
    w = w.substr(c + 1);
  }
  w = trim_right(w.substr(0, w.find(',')));
  if (w.empty()) return false;
  float v = 0.0f;
  if (ffmt::fixed_real(w, v) != ffmt::kOk) return false;
  value = v;
  return true;
}

std::int32_t EXTRACTINTEGER(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol,
                            std::int32_t default_value) {
  return extract_number(line, lcline, key, icol, default_value, " to an integer value for the ");
}

float EXTRACTREAL(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol,
                  float default_value) {
  return extract_number(line, lcline, key, icol, default_value, " to a real value for the ");
}

std::string EXTRACTSTRING(std::string_view line, std::string_view lcline, std::string_view key, std::int32_t icol) {
  return extract_value(line, lcline, key, icol, Reach::Field);
}

std::string EXTRACTSTRINGREM(std::string_view line, std::string_view lcline, std::string_view key,
                             std::int32_t icol) {
  return extract_value(line, lcline, key, icol, Reach::Rest);
}

std::string NEXTWORD(FText& str) {
  const std::string_view s = str.view();
  const std::size_t n = len_trim(s);
  if (n == 0) return {};
  const std::size_t c = find_unquoted(s, 0, ' ');
  const std::size_t i = c != npos ? c + 1 : n;  // the word with its separating blank
  std::string word = REMOVEQUOTES(s.substr(0, i));
  word.erase(0, first_sig(word));
  str.assign(i < n ? std::string(trim_both(s.substr(i))) : std::string());
  return word;
}

}  // namespace lib

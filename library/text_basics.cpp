#include "library/text_basics.h"

#include <algorithm>
#include <cstddef>

namespace lib {

namespace {

constexpr std::size_t kKeywordWork = 1000;  // cleaned keyword texts hold at most this many characters

inline bool is_quote(char c) { return c == '"' || c == '\''; }
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

inline char to_upper(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<char>(u - 32) : c;
}
inline char to_lower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<char>(u + 32) : c;
}

// The significant characters of s with every character for which skip() holds
// left out; trailing blanks of the result dropped.
template <class Skip>
std::string remove_chars(std::string_view s, Skip skip) {
  std::string r;
  r.reserve(len_trim(s));
  for (char c : trim_right(s))
    if (!skip(c)) r.push_back(c);
  r.resize(len_trim(r));
  return r;
}

// Produces, one character at a time and without copying, the cleaned text that
// keyword equality compares: quote characters removed, the remainder cut at
// 1000 characters, TABs removed, leading blanks dropped and, when asked, a-z
// upper-cased.  Trailing blanks may still come out; callers ignore them.
class KeywordCleaner {
 public:
  KeywordCleaner(std::string_view s, bool upper) : s_(trim_right(s)), upper_(upper) {}

  // The next character, or -1 at the end.
  int next() {
    while (i_ < s_.size() && kept_ < kKeywordWork) {
      const char c = s_[i_++];
      if (is_quote(c)) continue;
      ++kept_;  // counts toward the 1000-character cut (TABs and blanks included)
      if (c == '\t') continue;
      if (!started_ && c == ' ') continue;
      started_ = true;
      return static_cast<unsigned char>(upper_ ? to_upper(c) : c);
    }
    return -1;
  }

 private:
  std::string_view s_;
  std::size_t i_ = 0;
  std::size_t kept_ = 0;
  bool started_ = false;
  bool upper_;
};

// True when the rest of the cleaned text is blank.
bool rest_blank(KeywordCleaner& k) {
  for (int c = k.next(); c >= 0; c = k.next())
    if (c != ' ') return false;
  return true;
}

bool keyword_equal(std::string_view a, std::string_view b, bool upper) {
  KeywordCleaner ka(a, upper), kb(b, upper);
  for (;;) {
    const int ca = ka.next();
    const int cb = kb.next();
    if (ca < 0 && cb < 0) return true;
    if (ca < 0) return cb == ' ' && rest_blank(kb);
    if (cb < 0) return ca == ' ' && rest_blank(ka);
    if (ca != cb) return false;
  }
}

}  // namespace

void left_adjust(FText& t) {
  const std::string_view v = t.view();
  const std::size_t n = len_trim(v);
  const std::size_t f = first_sig(v);
  if (f == 0) return;
  char* d = t.data();
  std::copy(d + f, d + n, d);
  std::fill(d + (n - f), d + t.capacity(), ' ');
}

std::string SS256(std::string_view str) { return padded(trim_right(str), 256); }

std::string REMOVETABS(std::string_view str) {
  return remove_chars(str, [](char c) { return c == '\t'; });
}

std::string TRIMF(std::string_view str) { return std::string(trim_both(str)); }

bool NUMBERLINE(FText& line) {
  left_adjust(line);
  return is_number_line(line.view());
}

bool POSITIVEINTEGERNUMBER(FText& str) {
  left_adjust(str);
  const std::string_view v = str.trimmed();
  return !v.empty() && std::all_of(v.begin(), v.end(), is_digit);
}

bool BLANK(FText& str) {
  char* d = str.data();
  const std::size_t n = str.len_trim();
  std::size_t w = 0;
  for (std::size_t r = 0; r < n; ++r)
    if (d[r] != '\t') d[w++] = d[r];
  std::fill(d + w, d + n, ' ');
  return str.blank();
}

bool ASAME(std::string_view a, std::string_view b) { return keyword_equal(a, b, true); }

bool ASAMECS(std::string_view a, std::string_view b) { return keyword_equal(a, b, false); }

std::string REMOVEQUOTES(std::string_view str) { return remove_chars(str, is_quote); }

std::string UPPERCASE(std::string_view str) {
  std::string r(trim_right(str));
  for (char& c : r) c = to_upper(c);
  return r;
}

std::string LOWERCASE(std::string_view str) {
  std::string r(trim_right(str));
  for (char& c : r) c = to_lower(c);
  return r;
}

std::string asame_key(std::string_view s) {
  KeywordCleaner k(s, true);
  std::string r;
  for (int c = k.next(); c >= 0; c = k.next()) r.push_back(static_cast<char>(c));
  r.resize(len_trim(r));
  return r;
}

bool is_number_line(std::string_view line) noexcept {
  const std::size_t n = len_trim(line);
  if (n == 0) return true;
  const char c = line[first_sig(line)];
  return is_digit(c) || c == '-' || c == '.';
}

bool is_blank_or_tabs(std::string_view s) noexcept {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace lib

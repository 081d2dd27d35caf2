#include "library/ftext.h"

namespace lib {

std::size_t len_trim(std::string_view s) noexcept {
  std::size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

std::size_t first_sig(std::string_view s) noexcept {
  const std::size_t n = len_trim(s);
  std::size_t i = 0;
  while (i < n && s[i] == ' ') ++i;
  return i < n ? i : 0;
}

bool is_blank(std::string_view s) noexcept { return len_trim(s) == 0; }

std::string_view trim_right(std::string_view s) noexcept { return s.substr(0, len_trim(s)); }

std::string_view trim_both(std::string_view s) noexcept {
  s = trim_right(s);
  return s.substr(first_sig(s));
}

bool eq_padded(std::string_view a, std::string_view b) noexcept { return trim_right(a) == trim_right(b); }

std::string_view cut(std::string_view s, std::size_t n) noexcept { return s.substr(0, n < s.size() ? n : s.size()); }

std::string padded(std::string_view s, std::size_t n) {
  std::string r(cut(s, n));
  r.resize(n, ' ');
  return r;
}

FText::FText(std::size_t capacity, std::string_view init) : buf_(capacity, ' ') { assign(init); }

void FText::assign(std::string_view s) {
  const std::size_t n = s.size() < buf_.size() ? s.size() : buf_.size();
  // The source may alias this text: move it before padding.
  buf_.replace(0, n, s.data(), n);
  buf_.replace(n, buf_.size() - n, buf_.size() - n, ' ');
}

}  // namespace lib

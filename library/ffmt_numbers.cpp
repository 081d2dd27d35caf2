// Text to number conversions: integer and real tokens, and fixed-column
// fields.
//
// Reals go straight to their target type with std::from_chars, after the
// exponent forms that it does not know (D, Q, a sign without a letter, a
// leading "+") have been normalised in a stack buffer; short decimals are
// converted exactly without it (short_decimal, ffmt_numbers_detail.h).
#include "library/ffmt_numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>
#include <type_traits>

#include "library/ffmt_numbers_detail.h"

namespace ffmt {

using detail::is_digit;
using detail::kLocal;
using detail::short_decimal;

namespace {

char ascii_lower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<char>(u + 32) : c;
}
bool equals_nocase(std::string_view s, std::string_view lower) {
  if (s.size() != lower.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (ascii_lower(s[i]) != lower[i]) return false;
  return true;
}

enum class RealKind { kNumber, kInf, kNaN, kBad };

// The pieces of a real token: sign, mantissa (digits with at most one point)
// and exponent (after E, D or Q with an optional sign, or after a sign alone).
struct RealParts {
  bool neg = false;
  bool plus = false;  // a leading "+" was given
  std::string_view mant;
  int ndigits = 0;  // digits in the mantissa
  bool has_exp = false;
  bool exp_letter_e = false;  // the exponent was introduced by E or e
  bool exp_neg = false;
  bool exp_plus = false;
  std::string_view exp_digits;
};

RealKind scan_real(std::string_view s, RealParts& r) {
  std::size_t i = 0;
  const std::size_t n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) {
    r.neg = s[i] == '-';
    r.plus = !r.neg;
    ++i;
  }
  if (i < n) {
    const char c = ascii_lower(s[i]);
    if (c == 'i' || c == 'n') {
      const std::string_view word = s.substr(i);
      if (equals_nocase(word, "inf") || equals_nocase(word, "infinity")) return RealKind::kInf;
      if (equals_nocase(word, "nan")) return RealKind::kNaN;
      return RealKind::kBad;
    }
  }
  const std::size_t mb = i;
  bool point = false;
  while (i < n) {
    const char c = s[i];
    if (is_digit(c)) {
      ++r.ndigits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++i;
  }
  r.mant = s.substr(mb, i - mb);
  if (i == n) return RealKind::kNumber;
  const char c = s[i];
  switch (c) {
    case 'e':
    case 'E':
      r.exp_letter_e = true;
      [[fallthrough]];
    case 'd':
    case 'D':
    case 'q':
    case 'Q':
      ++i;
      if (i < n && (s[i] == '+' || s[i] == '-')) {
        r.exp_neg = s[i] == '-';
        r.exp_plus = !r.exp_neg;
        ++i;
      }
      break;
    case '+':
    case '-':
      r.exp_neg = c == '-';
      r.exp_plus = !r.exp_neg;
      ++i;
      break;
    default:
      return RealKind::kBad;
  }
  const std::size_t eb = i;
  while (i < n && is_digit(s[i])) ++i;
  if (i == eb || i != n) return RealKind::kBad;
  r.has_exp = true;
  r.exp_digits = s.substr(eb, i - eb);
  return RealKind::kNumber;
}

// Whether a value that from_chars found out of range is too large (rather
// than too small): the decimal exponent of its first nonzero digit is >= 0.
bool too_large(const RealParts& r) {
  long long intdigits = 0;
  long long first_nonzero = -1;  // index among the digits
  long long k = 0;
  bool point = false;
  for (const char c : r.mant) {
    if (c == '.') {
      point = true;
      continue;
    }
    if (!point) ++intdigits;
    if (first_nonzero < 0 && c != '0') first_nonzero = k;
    ++k;
  }
  if (first_nonzero < 0) return false;
  long long e = 0;
  for (const char c : r.exp_digits) {
    e = e * 10 + (c - '0');
    if (e > 1000000000LL) break;  // far beyond any range: its sign decides
  }
  if (r.exp_neg) e = -e;
  return intdigits - 1 - first_nonzero + e >= 0;
}

template <class T>
bool convert_short(const RealParts& r, T& v) {
  if (r.ndigits > 15 || r.exp_digits.size() > 3) return false;
  std::uint64_t m = 0;
  int scale = 0;
  bool point = false;
  for (const char c : r.mant) {
    if (c == '.') {
      point = true;
      continue;
    }
    m = m * 10 + static_cast<std::uint64_t>(c - '0');
    if (point) ++scale;
  }
  int e = 0;
  for (const char c : r.exp_digits) e = e * 10 + (c - '0');
  scale -= r.exp_neg ? -e : e;
  return short_decimal(m, r.ndigits, scale, r.neg, v);
}

// A mantissa is converted from at most this many significant digits: a
// value halfway between two floats or two doubles has no more than 767, so
// the mantissa cut there, with a 1 after it when a digit cut off is not 0,
// rounds to the value the whole of it gives.  A long number is not copied.
constexpr std::size_t kKeptDigits = 800;

// The normalised text of a real whose mantissa and exponent are longer than
// that: "[-]0.<significant digits>e<exponent>", the digits cut as above, or
// "[-]0".  Returns the end of the text in buf, which must hold
// kKeptDigits + 32 characters.
char* long_real_text(const RealParts& r, char* buf) {
  const std::string_view m = r.mant;
  const std::size_t point = std::min(m.find('.'), m.size());
  const std::size_t first = m.find_first_not_of("0.");  // the first digit not 0
  char* p = buf;
  if (r.neg) *p++ = '-';
  *p++ = '0';
  if (first == std::string_view::npos) return p;  // a zero
  *p++ = '.';
  std::size_t i = first, kept = 0;
  for (; i < m.size() && kept < kKeptDigits; ++i)
    if (m[i] != '.') p[kept++] = m[i];
  p += kept;
  // Any digit cut off that is not 0 (a loop without a branch: it may be long).
  unsigned nonzero = 0;
  for (; i < m.size(); ++i) nonzero |= static_cast<unsigned>(m[i] != '0') & static_cast<unsigned>(m[i] != '.');
  if (nonzero != 0) *p++ = '1';
  // 0.<digits> times 10 to the digits before the point, less the zeros
  // before the first digit kept.
  const long long shift =
      static_cast<long long>(point) - static_cast<long long>(first) + (first > point ? 1 : 0);
  // The exponent is held far beyond any range, where only its sign counts.
  constexpr long long kFar = 1000000000000000LL;
  long long e = 0;
  for (const char c : r.exp_digits) {
    e = e * 10 + (c - '0');
    if (e > kFar) break;
  }
  if (r.exp_neg) e = -e;
  const auto [end, ec] = std::to_chars(p + 1, p + 24, e + shift);
  *p = 'e';
  return ec == std::errc() ? end : p;
}

template <class T>
int convert_real(const RealParts& r, T& v) {
  if (convert_short(r, v)) return kOk;
  // Normalised text: [-]mantissa[e[-]digits], which from_chars reads as it is.
  const std::size_t need = 1 + r.mant.size() + 2 + r.exp_digits.size();
  char buf[kKeptDigits + 32];
  char* p = buf;
  if (need > sizeof buf) {
    p = long_real_text(r, buf);
  } else {
    if (r.neg) *p++ = '-';
    std::memcpy(p, r.mant.data(), r.mant.size());
    p += r.mant.size();
    if (r.has_exp) {
      *p++ = 'e';
      if (r.exp_neg) *p++ = '-';
      std::memcpy(p, r.exp_digits.data(), r.exp_digits.size());
      p += r.exp_digits.size();
    }
  }
  T x;
  const auto res = std::from_chars(buf, p, x, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    if (too_large(r)) return kError;
    v = r.neg ? -T(0) : T(0);
    return kOk;
  }
  if (res.ec != std::errc() || res.ptr != p) return kError;
  v = x;
  return kOk;
}

template <class T>
int finish_special(RealKind k, bool neg, T& v) {
  if (k == RealKind::kInf) {
    v = neg ? -std::numeric_limits<T>::infinity() : std::numeric_limits<T>::infinity();
  } else {
    v = std::copysign(std::numeric_limits<T>::quiet_NaN(), neg ? T(-1) : T(1));
  }
  return kOk;
}

template <class T>
int parse_real_impl(std::string_view token, T& v) {
  RealParts r;
  const RealKind k = scan_real(token, r);
  if (k == RealKind::kBad) return kError;
  if (k != RealKind::kNumber) return finish_special(k, r.neg, v);
  if (r.ndigits == 0) return kError;
  return convert_real(r, v);
}

template <class T>
int parse_int_impl(std::string_view token, T& v) {
  std::size_t i = 0;
  if (!token.empty() && (token[0] == '+' || token[0] == '-')) i = 1;
  if (i == token.size()) return kError;
  for (std::size_t j = i; j < token.size(); ++j)
    if (!is_digit(token[j])) return kError;
  // from_chars takes a "-" but no "+".
  const char* first = token.data() + (token[0] == '+' ? 1 : 0);
  const char* last = token.data() + token.size();
  T x;
  const auto res = std::from_chars(first, last, x, 10);
  if (res.ec != std::errc() || res.ptr != last) return kError;
  v = x;
  return kOk;
}

template <class T>
int fixed_int_impl(std::string_view field, T& v, bool blanks_are_zeros) {
  using U = std::make_unsigned_t<T>;
  constexpr U kMax = static_cast<U>(std::numeric_limits<T>::max());
  bool neg = false;
  bool started = false;  // a sign or digit has been seen
  int ndigits = 0;
  U acc = 0;
  for (char c : field) {
    if (c == ' ') {
      // Blanks before the number are ignored either way.
      if (!blanks_are_zeros || !started) continue;
      c = '0';
    }
    if (!started && (c == '+' || c == '-')) {
      neg = c == '-';
      started = true;
      continue;
    }
    started = true;
    if (!is_digit(c)) return kError;
    const U dgt = static_cast<U>(c - '0');
    // The magnitude may reach kMax + 1 (the most negative value).
    if (acc > (kMax - dgt + 1) / 10) return kError;
    acc = static_cast<U>(acc * 10 + dgt);
    ++ndigits;
  }
  if (!started) {
    v = 0;
    return kOk;
  }
  if (ndigits == 0) return kError;  // a sign without digits
  if (neg) {
    if (acc > kMax + 1) return kError;
    v = acc == kMax + 1 ? std::numeric_limits<T>::min() : static_cast<T>(-static_cast<T>(acc));
  } else {
    if (acc > kMax) return kError;
    v = static_cast<T>(acc);
  }
  return kOk;
}

// A field that holds one plain decimal between blanks ([sign] digits
// [. digits], at most as many digits as short_decimal takes): its value,
// which is what the general reading gives.  False for anything else.
template <class T>
bool plain_fixed_real(std::string_view field, T& v) {
  const char* p = field.data();
  const char* const e = p + field.size();
  while (p < e && *p == ' ') ++p;
  if (p == e) return false;
  const bool neg = *p == '-';
  if (neg || *p == '+') ++p;
  std::uint64_t m = 0;
  int digits = 0, frac = -1;  // frac: digits after the point, -1 before it
  for (; p < e; ++p) {
    const unsigned d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
    if (d <= 9) {
      m = m * 10 + d;  // wraps after 19 digits; only short mantissas are used
      ++digits;
      if (frac >= 0) ++frac;
    } else if (*p == '.' && frac < 0) {
      frac = 0;
    } else {
      break;
    }
  }
  while (p < e && *p == ' ') ++p;
  if (p != e || digits == 0) return false;
  return short_decimal(m, digits, frac < 0 ? 0 : frac, neg, v);
}

template <class T>
int fixed_real_impl(std::string_view field, T& v) {
  if (plain_fixed_real(field, v)) return kOk;
  // The field without its blanks.
  char local[kLocal];
  std::string big;
  char* buf = local;
  if (field.size() > kLocal) {
    big.resize(field.size());
    buf = big.data();
  }
  std::size_t n = 0;
  for (const char c : field)
    if (c != ' ') buf[n++] = c;
  const std::string_view s(buf, n);
  if (n == 0) {
    v = 0;
    return kOk;
  }
  RealParts r;
  const RealKind k = scan_real(s, r);
  if (k == RealKind::kBad) return kError;
  if (k != RealKind::kNumber) return finish_special(k, r.neg, v);
  if (r.ndigits == 0) {
    // A sign alone reads as zero; so does a point, with the sign given.
    if (r.mant.empty()) {
      if (r.has_exp) return kError;
      v = 0;
      return kOk;
    }
    v = r.neg ? -T(0) : T(0);
    return kOk;
  }
  return convert_real(r, v);
}

}  // namespace

int parse_real(std::string_view token, float& v) { return parse_real_impl(token, v); }
int parse_real(std::string_view token, double& v) { return parse_real_impl(token, v); }
int parse_int(std::string_view token, std::int32_t& v) { return parse_int_impl(token, v); }
int parse_int(std::string_view token, std::int64_t& v) { return parse_int_impl(token, v); }

int fixed_int(std::string_view field, std::int32_t& v, bool blanks_are_zeros) {
  return fixed_int_impl(field, v, blanks_are_zeros);
}
int fixed_int(std::string_view field, std::int64_t& v, bool blanks_are_zeros) {
  return fixed_int_impl(field, v, blanks_are_zeros);
}
int fixed_real(std::string_view field, float& v) { return fixed_real_impl(field, v); }
int fixed_real(std::string_view field, double& v) { return fixed_real_impl(field, v); }

int detail::check_real(std::string_view token) {
  RealParts r;
  const RealKind k = scan_real(token, r);
  if (k == RealKind::kBad) return kError;
  if (k != RealKind::kNumber) return kOk;
  if (r.ndigits == 0) return kError;
  if (!r.has_exp) {
    const std::size_t point = r.mant.find('.');
    if ((point == std::string_view::npos ? r.mant.size() : point) <= 38) return kOk;
  }
  float v;
  return convert_real(r, v);
}

}  // namespace ffmt

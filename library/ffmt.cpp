// Fixed-width fields and free-form number reading.
//
// Output: Fw.d formats the exact binary value of its argument, rounded to
// nearest with ties to even.  Values that the writers meet by the million
// (magnitude below 1e9, at most 9 decimals) are scaled to an integer exactly
// in 128-bit arithmetic; everything else goes through std::to_chars, which is
// exact as well.  Nothing is allocated per field.
//
// Input: tokens are cut out of the record as views and converted in place;
// reals go straight to their target type with std::from_chars, after the
// exponent forms that it does not know (D, Q, a sign without a letter, a
// leading "+") have been normalised in a stack buffer.
#include "library/ffmt.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <type_traits>

namespace ffmt {

namespace {

constexpr std::uint64_t kPow10[] = {1ULL,         10ULL,         100ULL,         1000ULL,
                                    10000ULL,     100000ULL,     1000000ULL,     10000000ULL,
                                    100000000ULL, 1000000000ULL};

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_space(char c) { return c == ' ' || c == '\t'; }
// Characters that end an unquoted value of a free-form read.
bool is_delim(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }
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

void put_stars(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

// Appends `text` right-justified in w columns (the caller has checked that it fits).
void put_right(std::string& out, int w, std::string_view text) {
  out.append(static_cast<std::size_t>(w) - text.size(), ' ');
  out.append(text);
}

// "00" "01" ... "99": digits are written two at a time.
constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

template <class U>
void put_pair(char* p, U v) {
  std::memcpy(p, kPairs + 2 * v, 2);
}

// Writes the decimal digits of v ending just before `end`; returns the first.
template <class U>
char* digits_backward(char* end, U v) {
  while (v >= 100) {
    end -= 2;
    put_pair(end, v % 100);
    v /= 100;
  }
  if (v >= 10) {
    end -= 2;
    put_pair(end, v);
  } else {
    *--end = static_cast<char>('0' + v);
  }
  return end;
}

// The text of scaled / 10^D with D decimals (a digit before the point
// always), written to end at `end`; returns its start.  Division by the
// constant 10^D, in 32 bits when the number allows.
template <int D, class U>
char* fixed_digits(char* end, U scaled) {
  constexpr U kDiv = static_cast<U>(kPow10[D]);
  U ip = scaled / kDiv, fp = scaled % kDiv;
  char* p = end;
  for (int n = D; n >= 2; n -= 2) {
    p -= 2;
    put_pair(p, fp % 100);
    fp /= 100;
  }
  if constexpr (D % 2 == 1) *--p = static_cast<char>('0' + fp);
  *--p = '.';
  return digits_backward(p, ip);
}

template <int D>
char* fixed_digits(char* end, std::uint64_t scaled) {
  if (scaled <= 0xFFFFFFFFu) return fixed_digits<D>(end, static_cast<std::uint32_t>(scaled));
  return fixed_digits<D, std::uint64_t>(end, scaled);
}

char* fixed_digits(char* end, std::uint64_t scaled, int d) {
  switch (d) {
    case 0: return fixed_digits<0>(end, scaled);
    case 1: return fixed_digits<1>(end, scaled);
    case 2: return fixed_digits<2>(end, scaled);
    case 3: return fixed_digits<3>(end, scaled);
    case 4: return fixed_digits<4>(end, scaled);
    case 5: return fixed_digits<5>(end, scaled);
    case 6: return fixed_digits<6>(end, scaled);
    case 7: return fixed_digits<7>(end, scaled);
    case 8: return fixed_digits<8>(end, scaled);
    default: return fixed_digits<9>(end, scaled);
  }
}

// Fixed-point text of a = |v| with d decimals (0 <= d <= 9, a < 1e9), always
// with a digit before the point, written to end at `end`; returns its start.
char* fixed_small(char* end, double a, int d) {
  std::uint64_t mant;
  int exp2;
  {
    std::uint64_t bits;
    std::memcpy(&bits, &a, sizeof bits);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    mant = bits & ((1ULL << 52) - 1);
    if (biased == 0) {
      exp2 = -1074;
    } else {
      mant |= 1ULL << 52;
      exp2 = biased - 1075;
    }
  }
  // a * 10^d = mant * 10^d * 2^exp2, rounded to an integer, ties to even.
  // With a < 1e9 (below 2^30) exp2 is at most -23, and the product of the
  // 53-bit mant and 10^d (below 2^30) fits in 128 bits.
  std::uint64_t scaled = 0;
  if (mant != 0) {
    const unsigned __int128 p = static_cast<unsigned __int128>(mant) * kPow10[d];
    if (-exp2 < 128) {
      const int s = -exp2;
      const unsigned __int128 q = p >> s;
      const unsigned __int128 r = p - (q << s);
      const unsigned __int128 half = static_cast<unsigned __int128>(1) << (s - 1);
      scaled = static_cast<std::uint64_t>(q);
      if (r > half || (r == half && (scaled & 1) != 0)) ++scaled;
    }
    // Otherwise the value is far below half a unit of the last decimal: 0.
  }
  return fixed_digits(end, scaled, d);
}

// round(a * 10^d), ties to even, of a float's magnitude a (finite, below
// 1e9) with 0 <= d <= 9.  Beyond 6 decimals exact in 64-bit arithmetic,
// since a float's 24-bit mantissa times 10^d stays below 2^54, from the
// float's bits as they are (a denormal counts with its value whatever the
// floating-point modes).
std::uint64_t scaled_float(float a, int d) {
  if (d <= 6) {
    // a * 10^d is exact in a double (24 bits of mantissa times 5^d, below
    // 2^14, the power of two aside) and below 2^52, where adding and taking
    // away 2^52 rounds it to an integer in the default rounding mode: to
    // nearest, ties to even.  A denormal that the modes take for zero here
    // rounds to 0 either way.
    static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    const double s = static_cast<double>(a) * kScale[d];
    return static_cast<std::uint64_t>((s + 0x1p52) - 0x1p52);
  }
  std::uint32_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int biased = static_cast<int>((bits >> 23) & 0xFF);
  std::uint64_t mant = bits & ((1U << 23) - 1);
  int exp2;
  if (biased == 0) {
    exp2 = -149;
  } else {
    mant |= 1U << 23;
    exp2 = biased - 150;
  }
  const std::uint64_t p = mant * kPow10[d];
  if (exp2 >= 0) return p << exp2;  // below 1e18: a < 1e9 and 10^d <= 1e9
  if (exp2 <= -64) return 0;        // p < 2^54 is far below half a unit of the last decimal
  const int sh = -exp2;
  const std::uint64_t q = p >> sh;
  const std::uint64_t r = p - (q << sh);
  const std::uint64_t half = 1ULL << (sh - 1);
  // Up when past the half, or at it with q odd; without a branch, which
  // data would send either way at random.
  return q + ((r + (q & 1)) > half ? 1 : 0);
}

template <class U>
int count_digits(U v) {
  int n = 1;
  for (; v >= 10000; v /= 10000) n += 4;
  if (v >= 100) {
    v /= 100;
    n += 2;
  }
  return v >= 10 ? n + 1 : n;
}

// Fills w columns at `out` with blanks (w >= 0).
void put_blanks(char* out, int w) {
  if (w >= 8 && w <= 16) {
    // Two overlapping fixed-size stores instead of a call.
    std::memcpy(out, "        ", 8);
    std::memcpy(out + w - 8, "        ", 8);
  } else {
    std::memset(out, ' ', static_cast<std::size_t>(w));
  }
}

// The field Fw.D (D < w) of a magnitude scaled / 10^D with its sign, written
// in place at `out`: blanks, sign, integer digits, point, D decimals.  The
// "0" before the point goes when only that makes the text fit; a text that
// does not fit is all asterisks.  Only stores: the field is never read back
// while its bytes are still being written.
template <int D, class U>
void place_fixed(char* out, int w, bool neg, U scaled) {
  constexpr U kDiv = static_cast<U>(kPow10[D]);
  const U ip = scaled / kDiv;
  U fp = scaled % kDiv;
  const int room = w - D - 1;  // columns for the sign and the integer digits
  int ndig = count_digits(ip);
  int need = ndig + (neg ? 1 : 0);
  if (need > room) {
    if (D == 0 || ip != 0 || need - 1 > room) {
      std::memset(out, '*', static_cast<std::size_t>(w));
      return;
    }
    ndig = 0;
    --need;
  }
  put_blanks(out, w);
  char* p = out + w;
  for (int n = D; n >= 2; n -= 2) {
    p -= 2;
    put_pair(p, fp % 100);
    fp /= 100;
  }
  if constexpr (D % 2 == 1) *--p = static_cast<char>('0' + fp);
  *--p = '.';
  if (ndig > 0) digits_backward(p, ip);
  if (neg) out[room - need] = '-';
}

template <int D>
void place_fixed(char* out, int w, bool neg, std::uint64_t scaled) {
  if (scaled <= 0xFFFFFFFFu) return place_fixed<D, std::uint32_t>(out, w, neg, static_cast<std::uint32_t>(scaled));
  place_fixed<D, std::uint64_t>(out, w, neg, scaled);
}

constexpr std::size_t kLocal = 128;

}  // namespace

// ---- output --------------------------------------------------------------

void put_I(std::string& out, int w, std::int64_t v) {
  if (w <= 0) return;
  char buf[24];
  char* const end = buf + sizeof buf;
  const bool neg = v < 0;
  const std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  char* p = digits_backward<std::uint64_t>(end, mag);
  if (neg) *--p = '-';
  const std::size_t len = static_cast<std::size_t>(end - p);
  if (len > static_cast<std::size_t>(w)) return put_stars(out, w);
  put_right(out, w, std::string_view(p, len));
}

void put_Imin(std::string& out, int w, int m, std::int64_t v) {
  if (w <= 0) return;
  if (m < 0) m = 0;
  // Iw.0 writes a zero value as blanks only.
  if (m == 0 && v == 0) {
    out.append(static_cast<std::size_t>(w), ' ');
    return;
  }
  if (m >= w) {
    // Even without a sign the digits would fill the whole field.
    if (m > w || v < 0) return put_stars(out, w);
  }
  char buf[24];
  char* const end = buf + sizeof buf;
  const bool neg = v < 0;
  const std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  char* p = digits_backward<std::uint64_t>(end, mag);
  const std::size_t ndig = static_cast<std::size_t>(end - p);
  const std::size_t digits = ndig > static_cast<std::size_t>(m) ? ndig : static_cast<std::size_t>(m);
  const std::size_t len = digits + (neg ? 1 : 0);
  if (len > static_cast<std::size_t>(w)) return put_stars(out, w);
  out.append(static_cast<std::size_t>(w) - len, ' ');
  if (neg) out.push_back('-');
  out.append(digits - ndig, '0');
  out.append(p, ndig);
}

namespace {

// NaN and the infinities, right-justified; asterisks when they do not fit.
void put_special(std::string& out, int w, double v) {
  if (std::isnan(v)) {
    if (w < 3) return put_stars(out, w);
    return put_right(out, w, "NaN");
  }
  if (!std::signbit(v)) {
    if (w >= 8) return put_right(out, w, "Infinity");
    if (w >= 3) return put_right(out, w, "Inf");
  } else {
    if (w >= 9) return put_right(out, w, "-Infinity");
    if (w >= 4) return put_right(out, w, "-Inf");
  }
  put_stars(out, w);
}

// Appends the digits of |v| (text, len: with a digit before the point) and
// the sign in w columns, dropping the optional "0" before the point when
// only that makes it fit.
void put_fixed_text(std::string& out, int w, int d, bool neg, const char* text, std::size_t len) {
  std::size_t total = len + (neg ? 1 : 0);
  if (total > static_cast<std::size_t>(w) && d > 0 && text[0] == '0') {
    ++text;
    --len;
    --total;
  }
  if (total > static_cast<std::size_t>(w)) return put_stars(out, w);
  out.append(static_cast<std::size_t>(w) - total, ' ');
  if (neg) out.push_back('-');
  out.append(text, len);
}

}  // namespace

void put_F(std::string& out, int w, int d, double v) {
  if (w <= 0) return;
  if (d < 0) d = 0;
  if (!std::isfinite(v)) return put_special(out, w, v);
  // The shortest text is "." and d digits, or "0." when d is 0.
  if (d == 0 ? w < 2 : d >= w) return put_stars(out, w);

  const bool neg = std::signbit(v);
  const double a = std::fabs(v);
  char local[kLocal];
  std::string big;  // only for fields wider than the local buffer
  const char* text;
  std::size_t len;
  if (d <= 9 && a < 1e9) {
    char* const end = local + kLocal;
    text = fixed_small(end, a, d);
    len = static_cast<std::size_t>(end - text);
  } else {
    // A text of |v| longer than w + 1 characters cannot fit even without
    // its leading "0", so a buffer of w + 1 is enough.
    const std::size_t cap = static_cast<std::size_t>(w) + 1;
    char* first = local;
    if (cap > kLocal) {
      big.resize(cap);
      first = big.data();
    }
    auto res = std::to_chars(first, first + cap, a, std::chars_format::fixed, d);
    if (res.ec != std::errc()) return put_stars(out, w);
    if (d == 0) {
      // to_chars writes no point when there are no decimals.
      if (res.ptr == first + cap) return put_stars(out, w);
      *res.ptr++ = '.';
    }
    text = first;
    len = static_cast<std::size_t>(res.ptr - first);
  }
  put_fixed_text(out, w, d, neg, text, len);
}

// Widths up to this go through the field written in place.
constexpr int kPlaceWidth = 64;

char* detail::put_F_placed(char* out, int w, int d, float v) {
  if (w <= 0) return out;
  const float a = std::fabs(v);
  if (w > kPlaceWidth || d < 0 || d > 9 || !(a < 1e9f)) {
    // The general conversion of the same exact value.
    std::string field;
    put_F(field, w, d, static_cast<double>(v));
    std::memcpy(out, field.data(), field.size());
    return out + w;
  }
  if (d >= w) {
    std::memset(out, '*', static_cast<std::size_t>(w));
    return out + w;
  }
  const std::uint64_t scaled = scaled_float(a, d);
  const bool neg = std::signbit(v);
  switch (d) {
    case 0: place_fixed<0>(out, w, neg, scaled); break;
    case 1: place_fixed<1>(out, w, neg, scaled); break;
    case 2: place_fixed<2>(out, w, neg, scaled); break;
    case 3: place_fixed<3>(out, w, neg, scaled); break;
    case 4: place_fixed<4>(out, w, neg, scaled); break;
    case 5: place_fixed<5>(out, w, neg, scaled); break;
    case 6: place_fixed<6>(out, w, neg, scaled); break;
    case 7: place_fixed<7>(out, w, neg, scaled); break;
    case 8: place_fixed<8>(out, w, neg, scaled); break;
    default: place_fixed<9>(out, w, neg, scaled); break;
  }
  return out + w;
}

void put_F(std::string& out, int w, int d, float v) {
  if (w <= 0) return;
  if (w > kPlaceWidth) return put_F(out, w, d, static_cast<double>(v));
  const std::size_t n = out.size();
  out.resize(n + static_cast<std::size_t>(w));
  put_F(out.data() + n, w, d, v);
}

void put_A(std::string& out, int w, std::string_view s) {
  if (w <= 0) return;
  const auto uw = static_cast<std::size_t>(w);
  if (s.size() >= uw) {
    out.append(s.substr(0, uw));
  } else {
    out.append(uw - s.size(), ' ');
    out.append(s);
  }
}

std::string I(int w, std::int64_t v) {
  std::string s;
  put_I(s, w, v);
  return s;
}
std::string Imin(int w, int m, std::int64_t v) {
  std::string s;
  put_Imin(s, w, m, v);
  return s;
}
std::string F(int w, int d, float v) {
  std::string s;
  put_F(s, w, d, v);
  return s;
}
std::string F(int w, int d, double v) {
  std::string s;
  put_F(s, w, d, v);
  return s;
}
std::string A(int w, std::string_view s) {
  std::string r;
  put_A(r, w, s);
  return r;
}

// ---- text to number conversions ------------------------------------------

namespace {

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

// Short decimals convert exactly without a general conversion: a mantissa
// of at most 7 (float) or 15 (double) digits is an exact integer m of the
// type, and 10^k up to 1e10 (float) or 1e22 (double) is exact too, so the
// single division m / 10^k (or an exact product) rounds correctly, giving
// the same value as from_chars.  The value is m / 10^scale; false when it
// is not such a case.
template <class T>
bool short_decimal(std::uint64_t m, int digits, int scale, bool neg, T& v) {
  constexpr bool kFloat = std::is_same_v<T, float>;
  constexpr int kMaxDigits = kFloat ? 7 : 15;
  constexpr int kMaxPow = kFloat ? 10 : 22;
  constexpr std::uint64_t kMaxExact = kFloat ? (1ULL << 24) : (1ULL << 53);
  static constexpr T kPow10[] = {T(1e0),  T(1e1),  T(1e2),  T(1e3),  T(1e4),  T(1e5),  T(1e6),  T(1e7),
                                 T(1e8),  T(1e9),  T(1e10), T(1e11), T(1e12), T(1e13), T(1e14), T(1e15),
                                 T(1e16), T(1e17), T(1e18), T(1e19), T(1e20), T(1e21), T(1e22)};
  if (digits > kMaxDigits) return false;
  T x;
  if (m == 0) {
    x = T(0);
  } else if (scale >= 0) {
    if (scale > kMaxPow) return false;
    x = static_cast<T>(m) / kPow10[scale];
  } else {
    std::uint64_t p = m;  // at most 2^53, so p * 10 cannot overflow
    for (int i = 0; i < -scale; ++i) {
      p *= 10;
      if (p > kMaxExact) return false;
    }
    x = static_cast<T>(p);
  }
  v = neg ? -x : x;
  return true;
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

template <class T>
int convert_real(const RealParts& r, T& v) {
  if (convert_short(r, v)) return kOk;
  // Normalised text: [-]mantissa[e[-]digits], which from_chars reads as it is.
  const std::size_t need = 1 + r.mant.size() + 2 + r.exp_digits.size();
  char local[kLocal];
  std::string big;
  char* buf = local;
  if (need > kLocal) {
    big.resize(need);
    buf = big.data();
  }
  char* p = buf;
  if (r.neg) *p++ = '-';
  std::memcpy(p, r.mant.data(), r.mant.size());
  p += r.mant.size();
  if (r.has_exp) {
    *p++ = 'e';
    if (r.exp_neg) *p++ = '-';
    std::memcpy(p, r.exp_digits.data(), r.exp_digits.size());
    p += r.exp_digits.size();
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

// Checks that a token is a real as parse_real(float) reads it, without
// converting it where the check does not need the value: a number without
// an exponent and with at most 38 digits before its point always fits.
int check_real(std::string_view token) {
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

// ---- free-form reading -------------------------------------------------

struct ListReader::Token {
  enum Kind { kValue, kNull, kSlash };
  Kind kind = kNull;
  std::string_view text;  // the value; for a quoted constant its decoded text
  bool quoted = false;    // a character constant in quotes
};

ListReader::ListReader(std::string_view text) : rec_(text) {}

ListReader::ListReader(std::string_view record, NextRecord next_record)
    : rec_(record), next_(std::move(next_record)) {}

bool ListReader::next_record() {
  if (!next_) return false;
  std::string_view r;
  if (!next_(r)) return false;
  rec_ = r;
  pos_ = 0;
  return true;
}

// After a value: blanks, and one comma with the blanks before it.  When the
// record ends first, a comma at the start of the next record still counts.
void ListReader::skip_separator() {
  while (pos_ < rec_.size() && is_space(rec_[pos_])) ++pos_;
  if (pos_ == rec_.size()) {
    sep_open_ = true;
    return;
  }
  if (rec_[pos_] == ',') ++pos_;
  sep_open_ = false;
}

// A quoted character constant from rec_[start], decoded into spill_: a
// doubled quote stands for one.  In an external read a constant that its
// record does not close goes on in the next record; in an internal read it
// ends with the text.
int ListReader::scan_quoted(std::size_t start, Token& t) {
  const char q = rec_[start];
  spill_.clear();
  std::size_t i = start + 1;
  for (;;) {
    while (i < rec_.size()) {
      const char c = rec_[i];
      if (c == q) {
        if (i + 1 < rec_.size() && rec_[i + 1] == q) {
          spill_.push_back(q);
          i += 2;
          continue;
        }
        pos_ = i + 1;
        // The closing quote must be followed by a separator.
        if (pos_ < rec_.size() && !is_delim(rec_[pos_])) return kError;
        t.text = spill_;
        t.quoted = true;
        return kOk;
      }
      spill_.push_back(c);
      ++i;
    }
    if (!next_) {
      pos_ = rec_.size();
      t.text = spill_;
      t.quoted = true;
      return kOk;
    }
    if (!next_record()) return kEnd;
    i = 0;
  }
}

int ListReader::next_token(Token& t) {
  t = Token{};
  if (slash_) {
    t.kind = Token::kSlash;
    return kOk;
  }
  if (repeat_left_ > 0) {
    --repeat_left_;
    if (!repeat_quoted_ && repeat_value_.empty()) return kOk;  // r*: null values
    t.kind = Token::kValue;
    t.text = repeat_value_;
    t.quoted = repeat_quoted_;
    return kOk;
  }
  for (;;) {
    while (pos_ < rec_.size() && is_space(rec_[pos_])) ++pos_;
    if (pos_ == rec_.size()) {
      if (!next_record()) return kEnd;
      continue;
    }
    const char c = rec_[pos_];
    if (c == ',') {
      ++pos_;
      if (sep_open_) {
        sep_open_ = false;
        continue;
      }
      return kOk;  // a null value
    }
    if (c == '/') {
      slash_ = true;
      t.kind = Token::kSlash;
      return kOk;
    }
    break;
  }
  sep_open_ = false;

  // An optional repeat count: digits and "*".
  std::size_t vs = pos_;
  std::size_t scanned = pos_;  // the value's characters up to here hold no delimiter
  std::int32_t repeat = 1;
  {
    std::size_t p = pos_;
    while (p < rec_.size() && is_digit(rec_[p])) ++p;
    if (p > pos_ && p < rec_.size() && rec_[p] == '*') {
      const auto res = std::from_chars(rec_.data() + pos_, rec_.data() + p, repeat, 10);
      if (res.ec != std::errc() || repeat == 0) return kError;
      vs = p + 1;
      scanned = vs;
    } else {
      scanned = p;
    }
  }
  if (vs == rec_.size() || is_delim(rec_[vs])) {
    // "r*" alone: r null values.
    pos_ = vs;
    skip_separator();
    repeat_left_ = repeat - 1;
    repeat_value_ = {};
    repeat_quoted_ = false;
    return kOk;
  }
  t.kind = Token::kValue;
  if (rec_[vs] == '\'' || rec_[vs] == '"') {
    const int st = scan_quoted(vs, t);
    if (st != kOk) return st;
  } else {
    std::size_t e = scanned;
    while (e < rec_.size() && !is_delim(rec_[e])) ++e;
    t.text = rec_.substr(vs, e - vs);
    pos_ = e;
  }
  skip_separator();
  repeat_left_ = repeat - 1;
  repeat_value_ = t.text;
  repeat_quoted_ = t.quoted;
  return kOk;
}

int ListReader::take(Token& t) {
  const int st = next_token(t);
  value_read_ = st == kOk && t.kind == Token::kValue;
  return st;
}

int ListReader::read(std::int32_t& v) {
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  return t.quoted ? kError : parse_int(t.text, v);
}

int ListReader::read(std::int64_t& v) {
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  return t.quoted ? kError : parse_int(t.text, v);
}

// Plain decimals ([sign] digits [. digits], ended by a separator) in an
// internal read, in one pass and without the general token machinery.
// Returns false, having changed nothing, for anything else.
template <class T>
bool ListReader::fast_real(T* v) {
  if (next_ || repeat_left_ > 0 || slash_) return false;
  const char* const base = rec_.data();
  const char* const e = base + rec_.size();
  const char* p = base + pos_;
  while (p < e && (*p == ' ' || *p == '\t')) ++p;
  if (p == e) return false;
  const char* const start = p;
  const bool neg = *p == '-';
  if (neg || *p == '+') ++p;
  // The digits before the point, then those after it.
  std::uint64_t m = 0;  // wraps after 19 digits; only short mantissas are used
  const char* const first = p;
  unsigned d;
  while (p < e && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
    m = m * 10 + d;
    ++p;
  }
  int frac = 0;
  const bool has_point = p < e && *p == '.';
  if (has_point) {
    const char* const point = ++p;
    while (p < e && (d = static_cast<unsigned char>(*p) - static_cast<unsigned>('0')) <= 9) {
      m = m * 10 + d;
      ++p;
    }
    frac = static_cast<int>(p - point);
  }
  const int digits = static_cast<int>(p - first) - (has_point ? 1 : 0);
  if (digits == 0 || (p < e && !is_delim(*p))) return false;
  const std::string_view token(start, static_cast<std::size_t>(p - start));
  if (v) {
    if (!short_decimal(m, digits, frac, neg, *v) && parse_real(token, *v) != kOk)
      return false;  // the general path reports it
  } else if (digits - frac > 38) {
    float x;
    if (parse_real(token, x) != kOk) return false;
  }
  // The separator: blanks, then one comma with the blanks after it left for
  // the next value.
  while (p < e && (*p == ' ' || *p == '\t')) ++p;
  sep_open_ = p == e;
  if (p < e && *p == ',') ++p;
  pos_ = static_cast<std::size_t>(p - base);
  value_read_ = true;
  return true;
}

int ListReader::read(float& v) {
  if (fast_real(&v)) return kOk;
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  return t.quoted ? kError : parse_real(t.text, v);
}

int ListReader::read(double& v) {
  if (fast_real(&v)) return kOk;
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  return t.quoted ? kError : parse_real(t.text, v);
}

int ListReader::read(std::string& v) {
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  v.assign(t.text);
  return kOk;
}

int ListReader::skip_real() {
  if (fast_real<float>(nullptr)) return kOk;
  Token t;
  const int st = take(t);
  if (st != kOk || t.kind != Token::kValue) return st;
  return t.quoted ? kError : check_real(t.text);
}

}  // namespace ffmt

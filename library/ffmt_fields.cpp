// Fixed-width output fields.
//
// Fw.d formats the exact binary value of its argument, rounded to nearest
// with ties to even.  Values that the writers meet by the million (magnitude
// below 1e9, at most 9 decimals) are scaled to an integer exactly in 128-bit
// arithmetic; everything else goes through std::to_chars, which is exact as
// well.  Nothing is allocated per field.
#include "library/ffmt_fields.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "library/ffmt_numbers_detail.h"

namespace ffmt {

using detail::kLocal;

namespace {

constexpr std::uint64_t kPow10[] = {1ULL,         10ULL,         100ULL,         1000ULL,
                                    10000ULL,     100000ULL,     1000000ULL,     10000000ULL,
                                    100000000ULL, 1000000000ULL};

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

}  // namespace

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

}  // namespace ffmt

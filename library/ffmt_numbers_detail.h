// What the number conversions share inside library/ffmt*.cpp: what the
// free-form reader (ffmt_list.cpp) takes from the conversions
// (ffmt_numbers.cpp) besides parse_real and parse_int (the exact conversion
// of short decimals, defined here so that the reader's one-pass path for
// plain decimals inlines it, and the check of a real that is read only to be
// skipped), and the size of the field buffer that formatting keeps on the
// stack.  Callers see only library/ffmt.h and its parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace ffmt::detail {

// Fields and numbers of up to this many characters are formatted in a buffer
// on the stack; longer ones take one from the heap.
inline constexpr std::size_t kLocal = 128;

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

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

// Checks that a token is a real as parse_real(float) reads it, without
// converting it where the check does not need the value: a number without
// an exponent and with at most 38 digits before its point always fits.
int check_real(std::string_view token);

}  // namespace ffmt::detail

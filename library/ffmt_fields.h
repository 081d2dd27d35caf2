// Fixed-width output fields: every writer of the program formats its numbers
// and texts through them, so that all of them follow the same rules.
//
// Output fields (right-justified, blank-padded; a value that does not fit
// fills the whole field with asterisks):
//   Iw     integer; "-" for negatives, never "+".
//   Iw.m   integer with at least m digits, the sign in front of the zeros.
//   Fw.d   fixed point, rounded from the exact binary value to nearest with
//          ties to even; "12." when d is 0; the leading "0" before the point
//          is dropped when only that makes the value fit ("-.500" in F5.3);
//          a negative value that rounds to zero keeps its sign ("-0.000");
//          NaN is "NaN", infinities "Infinity"/"-Infinity" when they fit,
//          else "Inf"/"-Inf", else asterisks.
//   Aw     the leftmost w characters, or the text with blanks on its left.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace ffmt {

// Each put_* appends one field of exactly w characters to `out`.
void put_I(std::string& out, int w, std::int64_t v);
void put_Imin(std::string& out, int w, int m, std::int64_t v);
void put_F(std::string& out, int w, int d, double v);
void put_F(std::string& out, int w, int d, float v);
void put_A(std::string& out, int w, std::string_view s);
// Fw.d of a float written in place: exactly w characters at `out`, which has
// room for them; returns out + w.  Row writers fill their records with it.
inline char* put_F(char* out, int w, int d, float v);
// Fw.d of n floats down a column: field k, the text put_F writes for v[k],
// at first + k * stride.  Several fields at a time where the processor can.
void put_F_column(char* first, std::size_t stride, int w, int d, const float* v, std::size_t n);
// Eight such columns side by side, each field after a separator: in the row
// at first + r * stride (r < n), sep and the field of v[j][r] at j * step
// (step >= w + 1; with step == w + 1 the 8 * (w + 1) characters in a row).
void put_F_eight_columns(char* first, std::size_t stride, std::size_t step, char sep, int w, int d,
                         const float* const v[8], std::size_t n);

std::string I(int w, std::int64_t v);
std::string Imin(int w, int m, std::int64_t v);
std::string F(int w, int d, double v);
std::string F(int w, int d, float v);
std::string A(int w, std::string_view s);

// ---- the in-place float field ----------------------------------------------

namespace detail {

// Every shape of the in-place field (ffmt_fields.cpp).
char* put_F_placed(char* out, int w, int d, float v);

// The eight ASCII digits of x < 10^8 with leading zeros, the first in the
// lowest byte, without a division loop: both halves of x are split into
// hundreds and then tens side by side in one 64-bit word.
inline std::uint64_t eight_digits(std::uint32_t x) {
  const std::uint64_t merged = (x / 10000) | (static_cast<std::uint64_t>(x % 10000) << 32);
  const std::uint64_t top = ((merged * 10486ULL) >> 20) & ((0x7FULL << 32) | 0x7FULL);
  const std::uint64_t bot = merged - 100ULL * top;
  const std::uint64_t hundreds = (bot << 16) + top;
  std::uint64_t tens = (hundreds * 103ULL) >> 10;
  tens &= (0xFULL << 48) | (0xFULL << 32) | (0xFULL << 16) | 0xFULL;
  tens += (hundreds - 10ULL * tens) << 8;
  return tens | 0x3030303030303030ULL;
}

// Digits of x (1 for 0), without branches.
inline int digit_count(std::uint32_t x) {
  static constexpr std::uint32_t kPow[] = {1,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};
  const std::uint32_t v = x | 1;
  const int t = ((32 - std::countl_zero(v)) * 1233) >> 12;
  return t + 1 - (v < kPow[t] ? 1 : 0);
}

}  // namespace detail

// The fields that tables print by the million (1 to 7 decimals, at least 9
// columns, a value that rounds below 10^8 units of its last decimal) are
// built here without a branch on the digits: the value scaled by 10^d is
// exact in a double and rounded to an integer in it (to nearest, ties to
// even, in the default rounding mode), its eight digits with the point put
// in before the last d are the field's last nine columns, and the leading
// zeros of the integer part become blanks (and the sign).  Everything else
// goes the general way, which gives the same text.
inline char* put_F(char* out, int w, int d, float v) {
  if constexpr (std::endian::native == std::endian::little) {
    if (d >= 1 && d <= 7 && w >= 9 && w <= 64) {
      static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
      const double s = static_cast<double>(std::fabs(v)) * kScale[d];
      if (s < 99999999.5) {  // false for NaN
        const auto scaled = static_cast<std::uint32_t>((s + 0x1p52) - 0x1p52);
        const std::uint64_t digits = detail::eight_digits(scaled);
        // Columns w-9 .. w-2: the integer digits (leading zeros among them),
        // the point, the decimals but the last; column w-1 the last decimal.
        const int ip = 8 - d;                              // digits before the point
        const std::uint64_t low = (1ULL << (8 * ip)) - 1;  // ip <= 7
        std::uint64_t word = (digits & low) | (static_cast<std::uint64_t>('.') << (8 * ip)) |
                             ((digits & ~low) << 8);
        // Leading zeros of the integer part (all but its last digit) turn
        // blank; the sign goes before the first digit.
        const int nd = detail::digit_count(scaled) - d;
        const int lead = ip - (nd > 1 ? nd : 1);
        const std::uint64_t blank = (1ULL << (8 * lead)) - 1;
        word = (word & ~blank) | (0x2020202020202020ULL & blank);
        const bool neg = std::signbit(v);
        if (!neg || lead > 0) {
          if (neg) {
            const int at = 8 * (lead - 1);
            word = (word & ~(0xFFULL << at)) | (static_cast<std::uint64_t>('-') << at);
          }
          std::memset(out, ' ', static_cast<std::size_t>(w - 9));
          std::memcpy(out + w - 9, &word, 8);
          out[w - 1] = static_cast<char>(digits >> 56);
          return out + w;
        }
      }
    }
  }
  return detail::put_F_placed(out, w, d, v);
}

}  // namespace ffmt

// Fixed-width fields and free-form number reading.
//
// Every writer and reader of the program formats and reads numbers through
// this one piece, so that all of them follow the same rules:
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
//
// Free-form (list-directed) input: values are separated by blanks or TABs,
// or by a comma with optional blanks around it; a slash ends the read and
// leaves the remaining items unchanged; an empty field between commas (or a
// comma at the start) is a null value that leaves its item unchanged; "r*c"
// stands for r copies of c and "r*" for r null values.
//
// Fixed-column input: Iw and Fw.0 fields with blanks ignored (or, for Iw on
// request, taken as zeros).
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace ffmt {

// ---- output --------------------------------------------------------------

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

std::string I(int w, std::int64_t v);
std::string Imin(int w, int m, std::int64_t v);
std::string F(int w, int d, double v);
std::string F(int w, int d, float v);
std::string A(int w, std::string_view s);

// ---- status values of the reads -----------------------------------------

constexpr int kOk = 0;      // a value was read, or the item was left unchanged (null value, slash)
constexpr int kEnd = -1;    // the text ended before a value was found
constexpr int kError = 1;   // the text where the value is due is not a value of the item's kind

// ---- free-form reading -------------------------------------------------

// Reads the items of one free-form read, one call per item, in order.  A
// caller stops at the first status that is not kOk, as a read statement does.
//
// Internal reads (a text): when the text is used up before an item has a
// value, the status is kEnd.  External reads (records of a file): a
// `next_record` function supplies the following record instead; blank records
// are skipped; kEnd when it has none.
class ListReader {
 public:
  using NextRecord = std::function<bool(std::string_view& record)>;

  explicit ListReader(std::string_view text);
  ListReader(std::string_view record, NextRecord next_record);

  int read(std::int32_t& v);
  int read(std::int64_t& v);
  int read(float& v);
  int read(double& v);
  // A character item: quoted with ' or " (a doubled quote stands for one),
  // or unquoted up to a blank, comma, slash or the end of the record.
  int read(std::string& v);
  // Reads a real item and discards it (the value must still be a valid real).
  int skip_real();

  // True once a slash has ended the read.
  bool ended_by_slash() const { return slash_; }
  // True when the last item read got a value (false after a null value or
  // a slash, which leave the item unchanged).
  bool value_read() const { return value_read_; }

 private:
  struct Token;
  int next_token(Token& t);
  int take(Token& t);
  template <class T>
  bool fast_real(T* v);
  int scan_quoted(std::size_t start, Token& t);
  void skip_separator();
  bool next_record();

  std::string_view rec_;
  std::size_t pos_ = 0;
  NextRecord next_;
  bool slash_ = false;
  bool value_read_ = false;
  // The last value ended with its record: a comma that opens the next record
  // still belongs to that value's separator and is no null value.
  bool sep_open_ = false;
  int repeat_left_ = 0;            // copies still to hand out from an r*c value
  std::string_view repeat_value_;  // c of r*c (empty for r*)
  bool repeat_quoted_ = false;     // c is a quoted character constant
  std::string spill_;              // the decoded text of the last quoted constant
};

// Reads the items in order and stops at the first status that is not kOk.
template <class... Items>
int list_read(std::string_view text, Items&... items) {
  ListReader r(text);
  int st = kOk;
  ((st == kOk ? (st = r.read(items)) : st), ...);
  return st;
}

// ---- text to number conversions ------------------------------------------

// Parses one real token as the free-form and fixed-column reads accept it:
// optional sign, digits with an optional point, an optional exponent
// (E, D or Q with an optional sign, or a sign alone: "1+3" is 1000), or NaN,
// Inf, Infinity.  Converted straight to the target precision.  A value too
// large for it is an error; one too small reads as zero.
int parse_real(std::string_view token, float& v);
int parse_real(std::string_view token, double& v);
// Optional sign and digits; an error when out of range.
int parse_int(std::string_view token, std::int32_t& v);
int parse_int(std::string_view token, std::int64_t& v);

// ---- fixed-column reading ------------------------------------------------

// Iw: a sign and digits; blanks ignored (or taken as zeros); all blank is 0.
int fixed_int(std::string_view field, std::int32_t& v, bool blanks_are_zeros = false);
int fixed_int(std::string_view field, std::int64_t& v, bool blanks_are_zeros = false);
// Fw.0: blanks ignored; a number without a point is whole; an exponent with a
// letter (E, D) or a sign alone; a field of only ".", "+" or "-" reads as 0;
// Inf and NaN accepted; all blank is 0.
int fixed_real(std::string_view field, float& v);
int fixed_real(std::string_view field, double& v);

// ---- the in-place float field ----------------------------------------------

namespace detail {

// Every shape of the in-place field (ffmt.cpp).
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

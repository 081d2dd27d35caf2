// Numbers to short left-adjusted texts, and number tests on lines of text.
//
// Each to-text routine writes its number into a 20-character field (I20 or
// F20.d) and returns the part of it from the first character that is not a
// blank.
#include "library/numtext.h"

#include <array>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "library/ffmt.h"

namespace lib {

namespace {

constexpr int kField = 20;

std::string left_adjusted(const std::string& field) { return field.substr(first_sig(field)); }

// The field up to its last significant character that is not a trailing
// "0" of the decimals; the point always stops the removal.
std::string without_trailing_zeros(const std::string& field) {
  std::size_t n = len_trim(field);
  while (n > 0 && field[n - 1] == '0') --n;
  const std::size_t b = first_sig(field);
  return b < n ? field.substr(b, n - b) : std::string();
}

template <class T>
std::string integer_prec0(T i, std::int32_t ndig) {
  std::string field = ffmt::I(kField, i);
  if (i >= 0 && ndig > 1) {
    // Zeros from position 21 - NDIG (1-based) up to the number; a field of
    // 20 characters holds no more than 20 digits.
    const std::size_t k = ndig >= kField ? 0 : static_cast<std::size_t>(kField - ndig);
    for (std::size_t p = k; p + 1 < field.size() && field[p] == ' '; ++p) field[p] = '0';
  }
  return left_adjusted(field);
}

template <class T>
bool check_int(std::string_view str, T& ival) {
  ffmt::ListReader r(str);
  T v = ival;
  if (r.read(v) != ffmt::kOk) return false;
  ival = v;
  return true;
}

}  // namespace

std::string AINTEGER(std::int32_t i) { return left_adjusted(ffmt::I(kField, i)); }
std::string AINTEGER8(std::int64_t i) { return left_adjusted(ffmt::I(kField, i)); }

std::string AINTEGERPREC0(std::int32_t i, std::int32_t ndig) { return integer_prec0(i, ndig); }
std::string AINTEGER8PREC0(std::int64_t i, std::int32_t ndig) { return integer_prec0(i, ndig); }

std::string AREAL(float x) {
  // Decimals by magnitude, compared in single precision; a NaN fails every
  // test and gets 0 decimals.
  const float a = std::fabs(x);
  const int d = a < 0.01f ? 6 : a < 0.1f ? 5 : a < 1.0f ? 4 : a < 10.0f ? 3 : a < 100.0f ? 2 : a < 1000.0f ? 1 : 0;
  return without_trailing_zeros(ffmt::F(kField, d, x));
}

std::string AREAL8(double x) {
  const double a = std::fabs(x);
  int d = 0;
  double limit = 1.0;
  for (int dd = 10; dd >= 1; --dd, limit *= 10.0) {
    if (a < limit) {
      d = dd;
      break;
    }
  }
  return without_trailing_zeros(ffmt::F(kField, d, x));
}

std::string AREALD(float x, std::int32_t d) { return left_adjusted(ffmt::F(kField, d < 0 ? 0 : d, x)); }
std::string AREALD4(float x, std::int32_t d) { return AREALD(x, d); }
std::string AREALD8(double x, std::int32_t d) { return left_adjusted(ffmt::F(kField, d < 0 ? 0 : d, x)); }

namespace {

// Character classes of NUMBEROFNUMBERS.
enum NumberClass : unsigned char { kOther, kNumberChar, kBlank, kComma, kCommentMark };

constexpr std::array<unsigned char, 256> kNumberClasses = [] {
  std::array<unsigned char, 256> t{};
  for (char c = '0'; c <= '9'; ++c) t[static_cast<unsigned char>(c)] = kNumberChar;
  for (const char c : {'e', 'E', '-', '.'}) t[static_cast<unsigned char>(c)] = kNumberChar;
  t[' '] = t['\t'] = kBlank;
  t[','] = kComma;
  t['!'] = t['#'] = kCommentMark;
  return t;
}();

// Set bits of a 16-bit mask, in a few operations (no population-count
// instruction is assumed).
inline std::int32_t bits16(std::uint32_t x) {
  x = x - ((x >> 1) & 0x5555u);
  x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
  x = (x + (x >> 4)) & 0x0F0Fu;
  return static_cast<std::int32_t>((x + (x >> 8)) & 0x1Fu);
}

}  // namespace

std::int32_t NUMBEROFNUMBERS(std::string_view line) noexcept {
  const std::size_t n = len_trim(line);
  std::int32_t count = 0;
  bool in_number = false;
  bool after_comma = false;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen characters at a time while they are only number characters and
  // blanks: the numbers that start among them are the number characters
  // that follow no other.
  // The number characters and the blanks among the sixteen from `at`.
  const auto classes = [&line](std::size_t at, std::uint32_t& number, std::uint32_t& blank) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line.data() + at));
    const auto eq = [&x](char c) { return _mm_cmpeq_epi8(x, _mm_set1_epi8(c)); };
    const __m128i digit = _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(x, _mm_set1_epi8('0')), _mm_set1_epi8(9)),
                                         _mm_setzero_si128());
    const __m128i other = _mm_or_si128(_mm_or_si128(eq('e'), eq('E')), _mm_or_si128(eq('-'), eq('.')));
    number = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(digit, other)));
    blank = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(eq(' '), eq('\t'))));
  };
  std::uint32_t number = 0, blank = 0;
  for (; i + 16 <= n; i += 16) {
    classes(i, number, blank);
    if ((number | blank) != 0xFFFFu) break;  // commas, comments or other characters: one at a time
    const std::uint32_t starts = number & ~((number << 1) | (in_number ? 1u : 0u));
    count += bits16(starts);
    after_comma = after_comma && starts == 0;
    in_number = (number >> 15) != 0;
  }
  if (i < n && i + 16 > n && n >= 16) {
    // The rest of the line: the sixteen characters that end it, of which
    // those before i are counted already and tell what comes before i.
    classes(n - 16, number, blank);
    const std::uint32_t rest = (0xFFFFu << (i - (n - 16))) & 0xFFFFu;
    if (((number | blank) & rest) == rest) return count + bits16(number & ~(number << 1) & rest);
  }
#endif
  // One table look-up per character, and the state kept by arithmetic
  // rather than by branches on the characters.
  for (; i < n; ++i) {
    const unsigned char k = kNumberClasses[static_cast<unsigned char>(line[i])];
    if (k == kOther) return -count;
    if (k == kCommentMark) return count;
    const bool number = k == kNumberChar;
    const bool comma = k == kComma;
    const bool starts = number && !in_number;
    // A number starts; or an empty field between two commas.
    count += static_cast<std::int32_t>(starts) + static_cast<std::int32_t>(comma && !in_number && after_comma);
    after_comma = comma || (after_comma && !starts);
    in_number = number;
  }
  return count;
}

bool CHECKINT(std::string_view str, std::int32_t& ival) { return check_int(str, ival); }
bool CHECKINT4(std::string_view str, std::int32_t& ival) { return check_int(str, ival); }
bool CHECKINT8(std::string_view str, std::int64_t& ival) { return check_int(str, ival); }

std::int32_t NUMBEROFSUBSTRINGS(FText& str, std::string_view sep) {
  // Delete the TABs: the text closes up and is padded with blanks.
  const std::size_t n = str.len_trim();
  std::size_t j = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (str[i] != '\t') str[j++] = str[i];
  for (; j < n; ++j) str[j] = ' ';
  if (str.blank()) return 0;
  if (sep.empty()) return 1;
  // SEP and STR are searched over their whole capacity, trailing blanks too;
  // each search starts one character after the start of the previous match.
  const std::string_view s = str.view();
  std::size_t p = s.find(sep);
  if (p == std::string_view::npos) return 1;
  std::int32_t count = 2;
  while ((p = s.find(sep, p + 1)) != std::string_view::npos) ++count;
  return count;
}

std::string SUBSTRING(std::string_view str, std::string_view sep, std::int32_t n) {
  // An empty separator is found where every search starts, so no piece ever
  // ends after its start: every piece is blank.
  if (n < 1 || sep.empty()) return {};
  std::size_t pos = 0;
  for (std::int32_t k = 1; k < n; ++k) {
    const std::size_t q = str.find(sep, pos);
    if (q == std::string_view::npos) return {};
    pos = q + sep.size();
  }
  if (pos > str.size()) return {};
  const std::size_t q = str.find(sep, pos);
  const std::size_t end = q != std::string_view::npos ? q : len_trim(str);
  if (pos >= end) return {};
  return std::string(trim_both(str.substr(pos, end - pos)));
}

bool SAMESIGN(float a, float b) { return (a >= 0.0f) == (b >= 0.0f); }

}  // namespace lib

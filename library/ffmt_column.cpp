// Fw.d fields of table columns, eight values at a time: down one column, or
// along the rows of eight columns side by side.
//
// The table writers spend most of their time in one put_F after another at a
// fixed stride, and one field at a time that time is instructions, not
// memory.  The fast case of the inline put_F (ffmt_fields.h) has no branch
// on the digits, so its steps run here on eight values at once with AVX2:
// the scaling and rounding in doubles, the digits in 16-bit lanes of the
// same 64-bit word the scalar code builds, the blanks and the sign by byte
// masks.  Only the stores of each field are made one field at a time.  Down
// a wide table's column each field lands on another page; along its rows
// the stores of a row follow one another.
//
// The build targets baseline x86-64: the AVX2 code is compiled for that
// target alone and taken after a one-time check of the processor.  Without
// AVX2, on other processors, for other shapes of field and for every value
// outside the fast case, the fields come from put_F itself, whose text this
// matches byte for byte.
#include <cstring>

#include "library/ffmt_fields.h"
#include "platform/cpus.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ffmt {

namespace {

void put_F_each(char* first, std::size_t stride, int w, int d, const float* v, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) put_F(first + k * stride, w, d, v[k]);
}

#if defined(__x86_64__)

constexpr std::uint64_t kBlanks = 0x2020202020202020ULL;

// The masks and constants of one field shape, set up once per column.
struct Shape {
  __m128 magnitude;     // clears the float sign
  __m256d scale;        // 10^d
  __m256d limit;        // scaled values from here on do not fit eight digits
  __m256d round;        // 2^52: the sum is rounded to an integer, which is its low bits
  __m256i div10000;     // (x * this) >> 45 is x / 10000 for any 32-bit x
  __m256i k10000;
  __m256i c5243, c100;  // x / 100 is mulhi(x, 5243) >> 3 for x < 10^4
  __m256i c6554, c10;   // x / 10 is mulhi(x, 6554) for x < 100
  __m256i ascii_zeros;
  __m256i int_part;     // the bytes of the integer digits before the point
  __m256i point;        // '.' in the byte after them
  __m256i lead_cap;     // the integer digits that may turn blank: all but the last
  __m256i blanks, minus_bits, one, last_digit;
  // The first eight bytes of a field of w <= 16 columns (else of its last
  // 16): the word moved on by w - 9 columns, behind as many blanks.
  __m128i lo_shift;
  __m256i lo_blanks;
};

// Leaves v as it is, but the compiler no longer knows its value.
__attribute__((target("avx2"))) inline void hide(__m256i& v) { __asm__("" : "+x"(v)); }

__attribute__((target("avx2"))) Shape make_shape(int w, int d) {
  static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
  const int ip = 8 - d;  // digits before the point, 1..7
  const int lead_w = (w < 16 ? w : 16) - 9;  // blanks in the first eight bytes, 0..7
  Shape s;
  s.magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  s.scale = _mm256_set1_pd(kScale[d]);
  s.limit = _mm256_set1_pd(99999999.5);
  s.round = _mm256_set1_pd(0x1p52);
  s.div10000 = _mm256_set1_epi64x(0xD1B71759);
  s.k10000 = _mm256_set1_epi64x(10000);
  s.c5243 = _mm256_set1_epi16(5243);
  s.c100 = _mm256_set1_epi16(100);
  s.c6554 = _mm256_set1_epi16(6554);
  s.c10 = _mm256_set1_epi16(10);
  s.ascii_zeros = _mm256_set1_epi8('0');
  s.int_part = _mm256_set1_epi64x(static_cast<long long>((1ULL << (8 * ip)) - 1));
  s.point = _mm256_set1_epi64x(static_cast<long long>(static_cast<std::uint64_t>('.') << (8 * ip)));
  s.lead_cap = _mm256_set1_epi64x(static_cast<long long>((1ULL << (8 * (ip - 1))) - 1));
  s.blanks = _mm256_set1_epi8(' ');
  s.minus_bits = _mm256_set1_epi8('-' ^ ' ');
  s.one = _mm256_set1_epi64x(1);
  s.last_digit = _mm256_set1_epi64x(static_cast<long long>(0xFFULL << 56));
  s.lo_shift = _mm_cvtsi32_si128(8 * lead_w);
  s.lo_blanks = _mm256_set1_epi64x(static_cast<long long>(lead_w == 0 ? 0 : kBlanks >> (64 - 8 * lead_w)));
  // Left to the compiler, the constants are built again in every round of
  // the loop, and the products by 100 and 10 become chains of shifts and
  // adds; hidden from it, they are loaded once and multiplied.
  for (__m256i* v : {&s.c5243, &s.c100, &s.c6554, &s.c10, &s.ascii_zeros, &s.blanks, &s.minus_bits,
                     &s.last_digit, &s.int_part, &s.point, &s.lead_cap, &s.lo_blanks})
    hide(*v);
  return s;
}

// Four fields: lo gets the first eight bytes of each field (counted from
// column max(w - 16, 0)), hi the last eight; the result has bit j set when
// value j is in the fast case and its bytes are the field.
__attribute__((target("avx2"))) inline int four_fields(const Shape& c, __m128 f, __m256i& lo, __m256i& hi) {
  const __m256d s = _mm256_mul_pd(_mm256_cvtps_pd(_mm_and_ps(f, c.magnitude)), c.scale);
  const int fits = _mm256_movemask_pd(_mm256_cmp_pd(s, c.limit, _CMP_LT_OQ));
  // x, the value rounded to an integer (to nearest, ties to even, as the
  // scalar code rounds), is the low 32 bits of each 64-bit lane.
  const __m256i x = _mm256_castpd_si256(_mm256_add_pd(s, c.round));
  // Its halves x / 10000 and x % 10000 in the two 32-bit lanes, first the
  // leading four digits; then each half split into hundreds and the rest
  // side by side in 16-bit lanes, and those into tens and units in bytes.
  const __m256i upper = _mm256_srli_epi64(_mm256_mul_epu32(x, c.div10000), 45);
  const __m256i lower = _mm256_sub_epi32(x, _mm256_mul_epu32(upper, c.k10000));
  const __m256i halves = _mm256_or_si256(upper, _mm256_slli_epi64(lower, 32));
  const __m256i hundreds = _mm256_srli_epi16(_mm256_mulhi_epu16(halves, c.c5243), 3);
  const __m256i rest = _mm256_sub_epi16(halves, _mm256_mullo_epi16(hundreds, c.c100));
  const __m256i pairs = _mm256_or_si256(hundreds, _mm256_slli_epi32(rest, 16));
  const __m256i tens = _mm256_mulhi_epu16(pairs, c.c6554);
  const __m256i units = _mm256_sub_epi16(pairs, _mm256_mullo_epi16(tens, c.c10));
  const __m256i digits =
      _mm256_or_si256(_mm256_or_si256(tens, _mm256_slli_epi16(units, 8)), c.ascii_zeros);
  // The field's last nine bytes but the last: the point after the integer digits.
  __m256i word = _mm256_or_si256(_mm256_and_si256(digits, c.int_part), c.point);
  word = _mm256_or_si256(word, _mm256_slli_epi64(_mm256_andnot_si256(c.int_part, digits), 8));
  // The run of '0' bytes from the first digit, but not the last integer
  // digit, turns blank: the run of ones at the bottom of z is z & ~(z + 1).
  const __m256i z = _mm256_cmpeq_epi8(digits, c.ascii_zeros);
  const __m256i blank = _mm256_and_si256(_mm256_andnot_si256(_mm256_add_epi64(z, c.one), z), c.lead_cap);
  word = _mm256_or_si256(_mm256_andnot_si256(blank, word), _mm256_and_si256(blank, c.blanks));
  // A negative value's sign replaces the last blank; with no blank left it
  // goes the general way.
  const __m256i neg = _mm256_cmpgt_epi64(_mm256_setzero_si256(), _mm256_cvtepi32_epi64(_mm_castps_si128(f)));
  const __m256i sign_at = _mm256_xor_si256(blank, _mm256_srli_epi64(blank, 8));
  word = _mm256_or_si256(word, _mm256_and_si256(_mm256_and_si256(sign_at, neg), c.minus_bits));
  const int no_room =
      _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_and_si256(neg, _mm256_cmpeq_epi64(blank, _mm256_setzero_si256()))));
  hi = _mm256_or_si256(_mm256_srli_epi64(word, 8), _mm256_and_si256(digits, c.last_digit));
  lo = _mm256_or_si256(_mm256_sll_epi64(word, c.lo_shift), c.lo_blanks);
  return fits & ~no_room;
}

// Fields k .. k + count - 1 (count <= 8) of values p[0 .. count - 1]; p has
// eight values to read.  Wide fields (w > 16) start with w - 16 blanks.
template <bool kWide>
__attribute__((target("avx2"))) inline void eight_fields(const Shape& c, char* out, std::size_t stride, int w, int d,
                                                         const float* p, std::size_t count) {
  const __m256 f = _mm256_loadu_ps(p);
  __m256i lo0, hi0, lo1, hi1;
  const int ok0 = four_fields(c, _mm256_castps256_ps128(f), lo0, hi0);
  const int ok1 = four_fields(c, _mm256_extractf128_ps(f, 1), lo1, hi1);
  const unsigned ok = static_cast<unsigned>(ok0 | (ok1 << 4));
  const std::size_t at_lo = kWide ? static_cast<std::size_t>(w - 16) : 0;
  const auto at_hi = static_cast<std::size_t>(w - 8);
  if (count == 8 && ok == 0xFF) {
    // Straight from the registers: the low and the high half of each 128 bits.
    const __m128i halves[4][2] = {{_mm256_castsi256_si128(lo0), _mm256_castsi256_si128(hi0)},
                                  {_mm256_extracti128_si256(lo0, 1), _mm256_extracti128_si256(hi0, 1)},
                                  {_mm256_castsi256_si128(lo1), _mm256_castsi256_si128(hi1)},
                                  {_mm256_extracti128_si256(lo1, 1), _mm256_extracti128_si256(hi1, 1)}};
    for (const auto& h : halves) {
      if (kWide) std::memset(out, ' ', at_lo);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at_lo), h[0]);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at_hi), h[1]);
      out += stride;
      if (kWide) std::memset(out, ' ', at_lo);
      _mm_storeh_pi(reinterpret_cast<__m64*>(out + at_lo), _mm_castsi128_ps(h[0]));
      _mm_storeh_pi(reinterpret_cast<__m64*>(out + at_hi), _mm_castsi128_ps(h[1]));
      out += stride;
    }
    return;
  }
  // The fields one by one, each from its lane or from put_F.
  alignas(32) std::uint64_t lo[8], hi[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lo), lo0);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lo + 4), lo1);
  _mm256_store_si256(reinterpret_cast<__m256i*>(hi), hi0);
  _mm256_store_si256(reinterpret_cast<__m256i*>(hi + 4), hi1);
  for (std::size_t j = 0; j < count; ++j, out += stride) {
    if (ok >> j & 1) {
      if (kWide) std::memset(out, ' ', at_lo);
      std::memcpy(out + at_lo, &lo[j], 8);
      std::memcpy(out + at_hi, &hi[j], 8);
    } else {
      put_F(out, w, d, p[j]);
    }
  }
}

template <bool kWide>
__attribute__((target("avx2"))) void put_F_column_avx2(char* first, std::size_t stride, int w, int d,
                                                       const float* v, std::size_t n) {
  const Shape c = make_shape(w, d);
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) eight_fields<kWide>(c, first + k * stride, stride, w, d, v + k, 8);
  if (k < n) {
    // The last few values are read from a copy: nothing past v[n - 1] is touched.
    float tail[8] = {};
    std::memcpy(tail, v + k, (n - k) * sizeof(float));
    eight_fields<kWide>(c, first + k * stride, stride, w, d, tail, n - k);
  }
}

// Eight columns side by side, a row at a time: the eight values of a row
// are found by turning eight rows of eight columns around in registers, and
// each field goes out with its separator in one store.  A table's fields are
// then written along its rows, not down its columns, where every field of a
// column lands on another page.
struct RowShape {
  Shape fields;
  __m128i joined;  // [separator][the w characters]... from the bytes of lo and hi side by side
  __m128i last;    // the last eight characters of the field from the same bytes
  __m128i sep;
};

__attribute__((target("avx2"))) RowShape make_row_shape(char sep, int w, int d) {
  RowShape s{make_shape(w, d), {}, {}, _mm_cvtsi32_si128(static_cast<unsigned char>(sep))};
  // Byte m of [separator][field] comes from byte src(m) of lo:hi (the first
  // eight characters, then the last eight); 0x80 gives a zero byte.
  const auto src = [w](int m) -> std::uint8_t {
    if (m == 0 || m > w) return 0x80;
    const int column = m - 1;
    return static_cast<std::uint8_t>(column < 8 ? column : 16 + column - w);
  };
  alignas(16) std::uint8_t joined[16], last[16];
  for (int m = 0; m < 16; ++m) {
    joined[m] = src(m);
    last[m] = m < 8 ? src(w - 7 + m) : 0x80;
  }
  s.joined = _mm_load_si128(reinterpret_cast<const __m128i*>(joined));
  s.last = _mm_load_si128(reinterpret_cast<const __m128i*>(last));
  return s;
}

// The eight fields of one row, the values in f, their separators at out,
// out + step, ...
__attribute__((target("avx2"))) inline void row_of_eight(const RowShape& c, char* out, std::size_t step, char sep,
                                                         int w, int d, __m256 f) {
  __m256i lo0, hi0, lo1, hi1;
  const int ok0 = four_fields(c.fields, _mm256_castps256_ps128(f), lo0, hi0);
  const int ok1 = four_fields(c.fields, _mm256_extractf128_ps(f, 1), lo1, hi1);
  if ((ok0 & ok1) == 0xF) {
    const __m128i lo[4] = {_mm256_castsi256_si128(lo0), _mm256_extracti128_si256(lo0, 1),
                           _mm256_castsi256_si128(lo1), _mm256_extracti128_si256(lo1, 1)};
    const __m128i hi[4] = {_mm256_castsi256_si128(hi0), _mm256_extracti128_si256(hi0, 1),
                           _mm256_castsi256_si128(hi1), _mm256_extracti128_si256(hi1, 1)};
    // Fields side by side: each store runs on past its field into the next
    // one, which is stored after it.  The last field, and fields with room
    // between them, are stored exactly.
    const bool packed = step == static_cast<std::size_t>(w) + 1;
    for (int k = 0; k < 8; ++k, out += step) {
      const __m128i x = k % 2 == 0 ? _mm_unpacklo_epi64(lo[k / 2], hi[k / 2]) : _mm_unpackhi_epi64(lo[k / 2], hi[k / 2]);
      const __m128i joined = _mm_or_si128(_mm_shuffle_epi8(x, c.joined), c.sep);
      if (packed && k < 7) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), joined);
      } else {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out), joined);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + w - 7), _mm_shuffle_epi8(x, c.last));
      }
    }
    return;
  }
  alignas(32) std::uint64_t lo[8], hi[8];
  alignas(32) float value[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lo), lo0);
  _mm256_store_si256(reinterpret_cast<__m256i*>(lo + 4), lo1);
  _mm256_store_si256(reinterpret_cast<__m256i*>(hi), hi0);
  _mm256_store_si256(reinterpret_cast<__m256i*>(hi + 4), hi1);
  _mm256_store_ps(value, f);
  const unsigned ok = static_cast<unsigned>(ok0 | (ok1 << 4));
  for (int j = 0; j < 8; ++j, out += step) {
    out[0] = sep;
    if (ok >> j & 1) {
      std::memcpy(out + 1, &lo[j], 8);
      std::memcpy(out + 1 + w - 8, &hi[j], 8);
    } else {
      put_F(out + 1, w, d, value[j]);
    }
  }
}

// Turns eight rows of eight floats around: row j of the result holds
// element j of every row given.
__attribute__((target("avx2"))) inline void transpose8(__m256 r[8]) {
  const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
  const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
  const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]), t5 = _mm256_unpackhi_ps(r[4], r[5]);
  const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]), t7 = _mm256_unpackhi_ps(r[6], r[7]);
  const __m256 u0 = _mm256_shuffle_ps(t0, t2, 0x44), u1 = _mm256_shuffle_ps(t0, t2, 0xEE);
  const __m256 u2 = _mm256_shuffle_ps(t1, t3, 0x44), u3 = _mm256_shuffle_ps(t1, t3, 0xEE);
  const __m256 u4 = _mm256_shuffle_ps(t4, t6, 0x44), u5 = _mm256_shuffle_ps(t4, t6, 0xEE);
  const __m256 u6 = _mm256_shuffle_ps(t5, t7, 0x44), u7 = _mm256_shuffle_ps(t5, t7, 0xEE);
  r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
  r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
  r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
  r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
  r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
  r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
  r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
  r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
}

__attribute__((target("avx2"))) void eight_columns_avx2(char* first, std::size_t stride, std::size_t step, char sep,
                                                        int w, int d, const float* const v[8], std::size_t n) {
  const RowShape c = make_row_shape(sep, w, d);
  __m256 r[8];
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    for (int j = 0; j < 8; ++j) r[j] = _mm256_loadu_ps(v[j] + k);
    transpose8(r);
    for (int j = 0; j < 8; ++j) row_of_eight(c, first + (k + j) * stride, step, sep, w, d, r[j]);
  }
  if (k < n) {
    // The last few rows from a copy: nothing past v[j][n - 1] is touched.
    alignas(32) float tail[8][8] = {};
    for (int j = 0; j < 8; ++j) std::memcpy(tail[j], v[j] + k, (n - k) * sizeof(float));
    for (int j = 0; j < 8; ++j) r[j] = _mm256_load_ps(tail[j]);
    transpose8(r);
    for (std::size_t j = 0; j < n - k; ++j) row_of_eight(c, first + (k + j) * stride, step, sep, w, d, r[j]);
  }
}

#endif  // __x86_64__

}  // namespace

void put_F_eight_columns(char* first, std::size_t stride, std::size_t step, char sep, int w, int d,
                         const float* const v[8], std::size_t n) {
#if defined(__x86_64__)
  // One store takes a field and its separator: 9 to 15 columns.
  if (d >= 1 && d <= 7 && w >= 9 && w <= 15 && platform::has_avx2()) {
    eight_columns_avx2(first, stride, step, sep, w, d, v, n);
    return;
  }
#endif
  for (int j = 0; j < 8; ++j) {
    char* column = first + static_cast<std::size_t>(j) * step;
    for (std::size_t k = 0; k < n; ++k) column[k * stride] = sep;
    put_F_column(column + 1, stride, w, d, v[j], n);
  }
}

void put_F_column(char* first, std::size_t stride, int w, int d, const float* v, std::size_t n) {
#if defined(__x86_64__)
  // The fast case of put_F: 1 to 7 decimals in 9 to 64 columns.
  if (d >= 1 && d <= 7 && w >= 9 && w <= 64 && platform::has_avx2()) {
    if (w > 16)
      put_F_column_avx2<true>(first, stride, w, d, v, n);
    else
      put_F_column_avx2<false>(first, stride, w, d, v, n);
    return;
  }
#endif
  put_F_each(first, stride, w, d, v, n);
}

}  // namespace ffmt

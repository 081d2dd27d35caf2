// Free-form reads of many reals in one call.
//
// A data line of a hydrograph table holds a hundred or so plain decimals
// between blanks.  Read one read(float&) at a time, the time goes into the
// characters, a couple of cycles each, however tight the byte loop.  Here the
// ends of the blank-separated tokens are found 64 characters at a time from
// a bit mask, and eight tokens are valued at once with AVX2: the eight bytes
// that end each token are gathered into the lanes of two registers, checked
// for the plain shape ([sign] digits [. digits], 1 to 7 digits), their
// digits combined into the integer mantissa m, and m / 10^decimals divided in
// float.  m and the power of ten are exact floats, so the one division
// rounds correctly, which is what the scalar conversion of such a token
// gives as well.
//
// Every token that is not of that shape (or longer than eight characters),
// every separator other than blanks and TABs (it makes its token look odd)
// and every read that is not a plain internal one go to read(float&) from
// that token on, with the reader's state as read(float&) leaves it after the
// token before.  So read(float*, n) gives what n calls of read(float&) give,
// bit for bit.
//
// The code has a file of its own so that the per-item reading (ffmt_list.cpp)
// stays as it is.  The build targets baseline x86-64: the AVX2 code is
// compiled for that target alone and taken after a one-time check of the
// processor; elsewhere every item is read by read(float&).
#include <bit>
#include <cstring>

#include "library/ffmt_list.h"
#include "platform/cpus.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ffmt {

namespace {

// A pass that read fewer tokens than this before an odd one is not tried
// again for the rest of the call: its set-up would cost more than it saves.
constexpr std::size_t kRetryAfter = 8;

#if defined(__x86_64__)

bool is_blank(char c) { return c == ' ' || c == '\t'; }

#define FFMT_AVX2 __attribute__((target("avx2,bmi,popcnt")))

// Token ends are collected kRound bytes of text at a time, as positions
// from the round's first byte.
constexpr std::size_t kRound = 1024;
// A token and a blank at least: the most token ends of a round, plus room
// for the eight positions written past them.
constexpr std::size_t kMaxEnds = kRound / 2 + 16;
// How far ahead of the scan the text is asked for.  Long lines of a mapped
// file come from memory a page at a time, and the hardware prefetcher stops
// at the end of each page.
constexpr std::size_t kPrefetchAhead = 1024;

// Bit i set: byte i of the 64 at p is neither a blank nor a TAB.
FFMT_AVX2 inline std::uint64_t others64(const char* p) {
  const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
  const __m256i blank = _mm256_set1_epi8(' ');
  const __m256i tab = _mm256_set1_epi8('\t');
  const auto bl = static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(lo, blank), _mm256_cmpeq_epi8(lo, tab))));
  const auto bh = static_cast<std::uint32_t>(
      _mm256_movemask_epi8(_mm256_or_si256(_mm256_cmpeq_epi8(hi, blank), _mm256_cmpeq_epi8(hi, tab))));
  return ~((static_cast<std::uint64_t>(bh) << 32) | bl);
}

// Four tokens, each in the top bytes of a 64-bit lane (its last character in
// byte 7), blanks or other characters below it.
struct Lanes {
  __m256i m;     // the mantissa: all the digits as one integer, in the low half
  __m256i frac;  // digits after the point; 8 without a point (taken mod 8)
  __m256i good;  // all ones: a plain token of 1 to 7 digits
  __m256i sign;  // the float sign bit in both halves: the token starts with '-'
};

// A token is at most eight characters long, 8 when it has no blank or TAB
// in its word.
FFMT_AVX2 inline Lanes four_tokens(__m256i word) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i all = _mm256_set1_epi8(-1);
  // Bytes reversed: the token's last character in byte 0, the token the
  // bytes below the first blank or TAB.  Then carries and borrows run from
  // the token's end to its start.
  const __m256i w = _mm256_shuffle_epi8(
      word, _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14,
                             13, 12, 11, 10, 9, 8));
  const __m256i blank = _mm256_or_si256(_mm256_cmpeq_epi8(w, _mm256_set1_epi8(' ')),
                                        _mm256_cmpeq_epi8(w, _mm256_set1_epi8('\t')));
  // From the first blank up: x | -x.
  const __m256i outside = _mm256_or_si256(blank, _mm256_sub_epi64(zero, blank));
  // The token's first byte: below the first blank, or byte 7.
  const __m256i first = _mm256_andnot_si256(
      outside, _mm256_or_si256(_mm256_srli_epi64(outside, 8), _mm256_set1_epi64x(static_cast<long long>(0xFFULL << 56))));
  // A sign counts only as the first character.
  const __m256i minus = _mm256_cmpeq_epi8(w, _mm256_set1_epi8('-'));
  const __m256i sign = _mm256_and_si256(_mm256_or_si256(minus, _mm256_cmpeq_epi8(w, _mm256_set1_epi8('+'))), first);
  const __m256i d = _mm256_sub_epi8(w, _mm256_set1_epi8('0'));
  const __m256i is_digit = _mm256_cmpeq_epi8(_mm256_min_epu8(d, _mm256_set1_epi8(9)), d);
  const __m256i point = _mm256_andnot_si256(outside, _mm256_cmpeq_epi8(w, _mm256_set1_epi8('.')));
  // The decimals: the bytes below the token's last point (p & -p is its
  // lowest bit), or all bytes when it has none.
  const __m256i below = _mm256_add_epi64(_mm256_and_si256(point, _mm256_sub_epi64(zero, point)), all);
  const __m256i upto = _mm256_or_si256(_mm256_slli_epi64(below, 8), _mm256_set1_epi64x(0xFF));
  // Plain: every byte of the token a digit, that one point, or the sign;
  // 1 to 7 digits (eight bytes of digits are 8).
  const __m256i cover = _mm256_or_si256(_mm256_or_si256(outside, is_digit),
                                        _mm256_or_si256(sign, _mm256_and_si256(point, upto)));
  const __m256i dig = _mm256_andnot_si256(outside, is_digit);
  Lanes r;
  r.good = _mm256_andnot_si256(_mm256_or_si256(_mm256_cmpeq_epi64(dig, zero), _mm256_cmpeq_epi64(dig, all)),
                               _mm256_cmpeq_epi64(cover, all));
  r.frac = _mm256_sad_epu8(_mm256_and_si256(below, _mm256_set1_epi8(1)), zero);
  // The digits above the point move down into its byte; then the digits,
  // units in byte 0, are summed in pairs, fours and eights.
  const __m256i x = _mm256_and_si256(d, dig);
  const __m256i packed =
      _mm256_or_si256(_mm256_and_si256(x, below), _mm256_srli_epi64(_mm256_andnot_si256(below, x), 8));
  const __m256i pairs = _mm256_maddubs_epi16(packed, _mm256_set1_epi16(0x0A01));
  const __m256i fours = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00640001));
  r.m = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(fours, 32), _mm256_set1_epi64x(10000)), fours);
  r.sign = _mm256_andnot_si256(_mm256_cmpeq_epi64(_mm256_and_si256(minus, first), zero),
                               _mm256_set1_epi32(static_cast<int>(0x80000000u)));
  return r;
}

// The values of the tokens whose last characters are at[ends[0]] ..
// at[ends[cnt - 1]] (cnt <= 8; ends[] holds eight positions), stored to v
// while they are plain.  Returns how many were stored.  Each token is read
// as the eight bytes that end with it, straight from the text; with kFront,
// those that end before at[7] are read from `front`: eight blanks, then
// at[0] on.
template <bool kFront>
FFMT_AVX2 inline std::size_t eight_tokens(const char* at, const char* front, const std::int32_t* ends,
                                          std::size_t cnt, float* v) {
  const auto word = [&](int i) {
    const std::int32_t p = ends[i];
    long long w;
    std::memcpy(&w, kFront && p < 7 ? front + 1 + p : at + p - 7, 8);
    return w;
  };
  // Tokens 0, 2, 4, 6 into one register and 1, 3, 5, 7 into the other: the
  // low halves of the one and the high halves of the other then hold the
  // eight results in order.
  const Lanes a = four_tokens(_mm256_setr_epi64x(word(0), word(2), word(4), word(6)));
  const Lanes b = four_tokens(_mm256_setr_epi64x(word(1), word(3), word(5), word(7)));
  const __m256i m = _mm256_blend_epi32(a.m, _mm256_slli_epi64(b.m, 32), 0xAA);
  const __m256i frac = _mm256_or_si256(a.frac, _mm256_slli_epi64(b.frac, 32));
  const __m256i good = _mm256_blend_epi32(a.good, b.good, 0xAA);
  const __m256i sign = _mm256_blend_epi32(a.sign, b.sign, 0xAA);
  const __m256 pow10 = _mm256_permutevar8x32_ps(_mm256_setr_ps(1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f), frac);
  const __m256 x = _mm256_xor_ps(_mm256_div_ps(_mm256_cvtepi32_ps(m), pow10), _mm256_castsi256_ps(sign));
  const unsigned lanes = static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(good)));
  const auto stored = static_cast<std::size_t>(std::countr_one(lanes & ((1u << cnt) - 1)));
  if (stored == 8) {
    _mm256_storeu_ps(v, x);
  } else {
    const __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(static_cast<int>(stored)),
                                            _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    _mm256_maskstore_ps(v, keep, x);
  }
  return stored;
}

// The plain tokens of text[from, size), stored to v[0..n) in order until a
// token that is not plain.  Returns how many were stored, and in `end` the
// position of the last character of the last of them.
FFMT_AVX2 std::size_t plain_tokens(const char* text, std::size_t size, std::size_t from, float* v, std::size_t n,
                                   std::size_t& end) {
  alignas(32) std::int32_t ends[kMaxEnds];
  std::size_t k = 0;
  std::uint64_t before = 0;  // the mask of the 64 bytes before the chunk
  bool longer = false;       // a token of more than eight characters was met
  for (std::size_t rs = from; rs < size && !longer; rs += kRound) {
    const char* const at = text + rs;
    const std::size_t stop = size - rs < kRound ? size : rs + kRound;
    std::size_t count = 0;  // token ends of the round found so far
    std::size_t done = 0;   // those valued
    // Values the next group of the round's tokens; false at an odd token or
    // when n are read.
    const auto group = [&](std::size_t want) {
      std::size_t got;
      if (rs == from && ends[done] < 7) {
        // The words of tokens that end within 7 bytes of `from` would begin
        // before it: they come from a copy with blanks before.
        char front[16];
        std::memset(front, ' ', sizeof front);
        std::memcpy(front + 8, text + from, size - from < 8 ? size - from : 8);
        got = eight_tokens<true>(at, front, ends + done, want, v + k);
      } else {
        got = eight_tokens<false>(at, nullptr, ends + done, want, v + k);
      }
      k += got;
      done += got;
      if (got > 0) end = rs + static_cast<std::size_t>(ends[done - 1]);
      return got == want && k < n;
    };
    for (std::size_t o = rs; o < stop; o += 64) {
      __builtin_prefetch(text + o + kPrefetchAhead);
      std::uint64_t others;
      if (o + 64 <= size) {
        others = others64(text + o);
      } else if (size >= 64) {
        // The last 64 bytes of the text, moved down to o.
        others = others64(text + size - 64) >> (o + 64 - size);
      } else {
        char tail[64];
        std::memset(tail, ' ', sizeof tail);
        std::memcpy(tail, text + o, size - o);
        others = others64(tail);
      }
      const std::size_t span = stop - o < 64 ? stop - o : 64;  // no bits are set from span on
      // A token ends where the next byte is blank or the text ends.
      const std::uint64_t goes_on = static_cast<std::uint64_t>(o + span < size && !is_blank(text[o + span]))
                                    << (span - 1);
      std::uint64_t e = others & ~((others >> 1) | goes_on);
      // A token longer than its word: its last nine bytes are none blank.
      // The scan stops before the first of them.  Most tokens whose ninth
      // byte from the end is not blank end another token there.
      for (std::uint64_t ninth = e & ((others << 8) | (before >> 56)); ninth != 0; ninth &= ninth - 1) {
        const int b = std::countr_zero(ninth);
        const std::uint64_t nine = b >= 8 ? others >> (b - 8) : (others << (8 - b)) | (before >> (56 + b));
        if ((nine & 0x1FF) == 0x1FF) {
          e &= (1ULL << b) - 1;
          longer = true;
          break;
        }
      }
      before = others;
      const auto found = static_cast<std::size_t>(std::popcount(e));
      const auto base = static_cast<std::int32_t>(o - rs);
      std::int32_t* out = ends + count;
      // Eight positions whatever the count, so that the loop rarely branches.
      for (int i = 0; i < 8; ++i) {
        out[i] = base + std::countr_zero(e);
        e &= e - 1;
      }
      for (std::size_t i = 8; i < found; ++i) {
        out[i] = base + std::countr_zero(e);
        e &= e - 1;
      }
      count += found;
      while (count - done >= 8)
        if (!group(n - k < 8 ? n - k : 8)) return k;
      if (longer) break;
    }
    if (done < count) {
      // The last few of the round; the lanes past them read the last token.
      for (std::size_t i = count; i < count + 8; ++i) ends[i] = ends[count - 1];
      if (!group(count - done < n - k ? count - done : n - k)) return k;
    }
  }
  return k;
}

#endif  // __x86_64__

}  // namespace

// The tokens from pos_ on while they are plain and end with a blank, a TAB
// or the text; the reader is left as read(float&) leaves it after the last
// of them.  Returns how many were read (0: none, the reader
// untouched).
std::size_t ListReader::plain_reals(float* v, std::size_t n) {
#if defined(__x86_64__)
  if (n == 0 || next_ || repeat_left_ > 0 || slash_ || !platform::has_avx2()) return 0;
  const char* const text = rec_.data();
  const std::size_t size = rec_.size();
  if (pos_ >= size) return 0;
  std::size_t end = 0;
  const std::size_t k = plain_tokens(text, size, pos_, v, n, end);
  if (k == 0) return 0;
  // After the last value its separator, as read(float&) takes it.
  end_fast_value(text + end + 1);
  return k;
#else
  (void)v;
  (void)n;
  return 0;
#endif
}

int ListReader::read(float* v, std::size_t n) {
  std::size_t k = 0;
  bool fast = true;
  while (k < n) {
    if (fast) {
      const std::size_t got = plain_reals(v + k, n - k);
      k += got;
      if (k == n) break;
      fast = got >= kRetryAfter;
    }
    const int st = read(v[k]);
    if (st != kOk) return st;
    ++k;
  }
  return kOk;
}

}  // namespace ffmt

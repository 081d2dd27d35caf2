#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "library/ffmt.h"
#include "xp_test_support.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Where the fields change shape: signs of zero and of NaN, values that round
// to zero from below, ties at 1 to 7 decimals, the last values below 10^8
// units of the last decimal and the first at or above it, negatives with and
// without a column left for the sign, denormals, the float extremes.
const float kEdges[] = {
    0.0f,         -0.0f,        kNaN,          -kNaN,         kInf,         -kInf,
    0.25f,        -0.25f,       0.125f,        0.0625f,       -0.0625f,     2.5f,
    0.03125f,     0.015625f,    0.0078125f,    -0.0004f,      -0.0005f,     -0.00049f,
    -4e-8f,       1e-7f,        0.9995f,       9.9995f,       99.9996f,     0.1f,
    9999999.0f,   -9999999.0f,  10000000.0f,   -10000000.0f,  12345678.0f,  99999992.0f,
    1e8f,         -1e8f,        99999.99f,     99999.995f,    999999.94f,   9999.99995f,
    999.999995f,  99.9999995f,  9.99999995f,   -9999.9995f,   -999.9f,      -0.5f,
    1e-40f,       -1e-40f,      3e38f,         -3e38f,        16777216.0f,  8388608.5f,
    1234.5f,      -1234.5625f,  std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
};

// Shapes of the fast case and around it: every decimal count of it, the
// narrowest and widest fields, those whose first eight bytes overlap the
// last eight and those with blanks before them; then shapes that go the
// general way throughout.
const int kShapes[][2] = {
    {12, 3}, {12, 2}, {12, 4}, {9, 1},  {9, 7},  {10, 5}, {11, 6}, {13, 1}, {15, 7},  {16, 3},
    {16, 7}, {17, 2}, {24, 6}, {25, 1}, {64, 1}, {64, 7}, {8, 3},  {1, 0},  {12, 0},  {12, 8},
    {12, 9}, {65, 3}, {5, 3},  {0, 3},  {20, 12},
};

// Edge values, random bit patterns and random table values, shuffled so
// that each kind lands in every lane.
std::vector<float> column_values(std::mt19937_64& rng) {
  std::vector<float> v(std::begin(kEdges), std::end(kEdges));
  std::uniform_real_distribution<double> mant(-10.0, 10.0);
  std::uniform_int_distribution<int> ex(-8, 8);
  for (int i = 0; i < 600; ++i) {
    const auto bits = static_cast<std::uint32_t>(rng());
    float f;
    std::memcpy(&f, &bits, sizeof f);
    v.push_back(f);
    v.push_back(static_cast<float>(mant(rng) * std::pow(10.0, ex(rng))));
    // Exact ties at a random count of decimals.
    const auto n = static_cast<std::int64_t>(rng() % 20000001) - 10000000;
    v.push_back(static_cast<float>(std::ldexp(static_cast<double>(n), -static_cast<int>(rng() % 9))));
  }
  std::shuffle(v.begin(), v.end(), rng);
  return v;
}

// The column put_F_column writes and the one the fields written one by one
// make, each in a buffer of '#' with room before the first field and after
// the last.
struct Columns {
  std::string got, want;
};

Columns both_ways(int w, int d, std::size_t stride, const float* v, std::size_t n) {
  const std::size_t size = 16 + n * stride + 16;
  Columns c{std::string(size, '#'), std::string(size, '#')};
  ffmt::put_F_column(c.got.data() + 16, stride, w, d, v, n);
  for (std::size_t k = 0; k < n; ++k) ffmt::put_F(c.want.data() + 16 + k * stride, w, d, v[k]);
  return c;
}

// The first field that differs, for the failure message.
std::string first_difference(const Columns& c, int w, std::size_t stride, const float* v, std::size_t n) {
  for (std::size_t k = 0; k < n; ++k) {
    const std::size_t at = 16 + k * stride;
    if (c.got.compare(at, stride, c.want, at, stride) != 0) {
      char value[32];
      std::snprintf(value, sizeof value, "%.9g", static_cast<double>(v[k]));
      return "field " + std::to_string(k) + " of " + value + ": \"" + c.got.substr(at, static_cast<std::size_t>(w)) +
             "\" instead of \"" + c.want.substr(at, static_cast<std::size_t>(w)) + "\"";
    }
  }
  return "outside the fields";
}

TEST(FixedFieldColumn, SameTextAsOneFieldAtATime) {
  std::mt19937_64 rng(31);
  const std::vector<float> values = column_values(rng);
  for (const auto& s : kShapes) {
    const int w = s[0], d = s[1];
    const std::size_t width = static_cast<std::size_t>(std::max(w, 0));
    // Counts around the widths of a vector and none; fields packed and
    // apart; values read from every alignment.
    for (const std::size_t n : {0, 1, 3, 7, 8, 9, 16, 17, 31, 250}) {
      for (const std::size_t stride : {width, width + 1, width + 13}) {
        if (stride == 0) continue;
        const float* v = values.data() + (n + stride) % 5;
        const Columns c = both_ways(w, d, stride, v, n);
        ASSERT_EQ(c.got, c.want) << "F" << w << "." << d << ", n " << n << ", stride " << stride << ": "
                                 << first_difference(c, w, stride, v, n);
      }
    }
    // The whole sample in one column.
    const Columns c = both_ways(w, d, width + 1, values.data(), values.size());
    ASSERT_EQ(c.got, c.want) << "F" << w << "." << d << ": " << first_difference(c, w, width + 1, values.data(), values.size());
  }
}

// Eight columns side by side, or with room between them: each row's fields
// and separators as put_F writes them, nothing else touched.
TEST(FixedFieldColumn, EightColumnsSameTextAsOneFieldAtATime) {
  std::mt19937_64 rng(47);
  const std::vector<float> values = column_values(rng);
  for (const auto& s : kShapes) {
    const int w = s[0], d = s[1];
    const std::size_t width = static_cast<std::size_t>(std::max(w, 0)) + 1;
    for (const std::size_t step : {width, width + 13}) {
      const std::size_t row = 8 * step;
      for (const std::size_t n : {0, 1, 7, 8, 9, 17, 250}) {
        for (const std::size_t stride : {row, row + 5}) {
          const float* v[8];
          for (std::size_t j = 0; j < 8; ++j) v[j] = values.data() + (j * 97 + n) % (values.size() - n);
          const std::size_t size = 16 + n * stride + 16;
          std::string got(size, '#'), want(size, '#');
          ffmt::put_F_eight_columns(got.data() + 16, stride, step, ';', w, d, v, n);
          for (std::size_t k = 0; k < n; ++k) {
            for (std::size_t j = 0; j < 8; ++j) {
              char* out = want.data() + 16 + k * stride + j * step;
              *out = ';';
              if (w > 0) ffmt::put_F(out + 1, w, d, v[j][k]);
            }
          }
          for (std::size_t k = 0; k < size; k += 64) {
            ASSERT_EQ(got.substr(k, 64), want.substr(k, 64)) << "F" << w << "." << d << ", step " << step << ", n "
                                                             << n << ", stride " << stride << ", from byte " << k;
          }
        }
      }
    }
  }
}

TEST(FixedFieldColumn, DenormalsUnderFlushToZero) {
  const float v[] = {1e-40f, -1e-40f, std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
                     1.5f,   -2.25f,  std::numeric_limits<float>::min() / 2,    0.0f,
                     -1e-39f};
  constexpr std::size_t n = std::size(v);
  const xptest::ProgramFpMode fp;  // restored after: the other tests of this process run with the default
  const Columns c = both_ways(12, 3, 13, v, n);
  EXPECT_EQ(c.got, c.want) << first_difference(c, 12, 13, v, n);
  EXPECT_EQ(c.got.substr(16 + 13, 12), "      -0.000") << "a negative denormal keeps its sign";
}

}  // namespace

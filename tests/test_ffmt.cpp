#include "library/ffmt.h"

#include <gtest/gtest.h>

#include <charconv>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "xp_test_support.h"

// Counts heap allocations so that the tests can hold the readers and writers
// to their promise of allocating nothing per field or per line.
namespace {
std::atomic<long> g_allocations{0};
}  // namespace

[[gnu::noinline]] void* operator new(std::size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using ffmt::kEnd;
using ffmt::kError;
using ffmt::kOk;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string stars(int w) { return std::string(static_cast<std::size_t>(w), '*'); }

// ---- output --------------------------------------------------------------

TEST(IntegerField, RightJustifiedOrAsterisks) {
  struct Case {
    int w;
    std::int64_t v;
    std::string_view want;
  };
  const Case cases[] = {
      {5, 42, "   42"},
      {5, -42, "  -42"},
      {1, 0, "0"},
      {2, -1, "-1"},
      {1, -1, "*"},
      {4, 12345, "****"},
      {3, 1000, "***"},
      {4, 1001, "1001"},
      {20, std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
      {19, std::numeric_limits<std::int64_t>::min(), "*******************"},
      {12, 2147483647, "  2147483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(ffmt::I(c.w, c.v), c.want) << "I" << c.w << " of " << c.v;
}

TEST(IntegerField, MinimumDigitsPutTheSignBeforeTheZeros) {
  struct Case {
    int w, m;
    std::int64_t v;
    std::string_view want;
  };
  const Case cases[] = {
      {5, 4, 201, " 0201"}, {5, 4, -201, "-0201"}, {5, 4, 0, " 0000"},  {5, 4, 123456, "*****"},
      {4, 4, 12, "0012"},   {4, 4, -12, "****"},   {5, 0, 0, "     "},  {5, 0, 7, "    7"},
      {3, 1, -5, " -5"},    {2, 3, 1, "**"},       {6, 2, -123, "  -123"},
  };
  for (const auto& c : cases) EXPECT_EQ(ffmt::Imin(c.w, c.m, c.v), c.want) << "I" << c.w << "." << c.m << " of " << c.v;
}

TEST(TextField, CutOnTheRightPaddedOnTheLeft) {
  EXPECT_EQ(ffmt::A(3, "abcdef"), "abc");
  EXPECT_EQ(ffmt::A(6, "abc"), "   abc");
  EXPECT_EQ(ffmt::A(3, "abc"), "abc");
  EXPECT_EQ(ffmt::A(2, ""), "  ");
  EXPECT_EQ(ffmt::A(0, "abc"), "");
}

struct FCase {
  int w, d;
  double v;
  std::string_view want;
};

// One in-place field between guard bytes: exactly w characters are written
// and the returned pointer follows them.
std::string placed_F(int w, int d, float v) {
  const auto uw = static_cast<std::size_t>(w);
  std::string buf(uw + 16, '#');
  char* const out = buf.data() + 8;
  EXPECT_EQ(ffmt::put_F(out, w, d, v), out + w) << "F" << w << "." << d << " of " << v;
  EXPECT_EQ(buf.substr(0, 8), "########") << "F" << w << "." << d << " of " << v;
  EXPECT_EQ(buf.substr(uw + 8), "########") << "F" << w << "." << d << " of " << v;
  return buf.substr(8, uw);
}

TEST(FixedField, RoundingSignAndOptionalZero) {
  const FCase cases[] = {
      // Exact binary ties go to even.
      {4, 0, 2.5, "  2."}, {4, 0, 0.5, "  0."}, {4, 0, 3.5, "  4."}, {5, 1, 0.25, "  0.2"}, {6, 2, 0.125, "  0.12"},
      {6, 3, 0.0625, " 0.062"},
      // The "0" before the point goes only when that alone makes it fit.
      {5, 3, -0.5, "-.500"}, {6, 3, -0.5, "-0.500"}, {4, 3, 0.5, ".500"}, {6, 4, -0.5, "-.5000"}, {1, 0, 0.0, "*"},
      {1, 0, 0.3, "*"}, {2, 1, 0.04, ".0"}, {2, 1, -0.04, "**"}, {3, 1, -0.04, "-.0"},
      // A negative value that rounds to zero keeps its sign.
      {5, 0, -0.4, "  -0."}, {6, 3, -0.0001, "-0.000"}, {12, 2, -0.0, "       -0.00"}, {12, 3, 0.0, "       0.000"},
      // Overflow, also by rounding.
      {16, 3, 1e12, "****************"}, {16, 3, -1e11, "****************"}, {16, 3, 1e11, "100000000000.000"},
      {16, 3, 1e11f, " 99999997952.000"}, {20, 0, 1e25, "********************"}, {6, 4, 10.0, "******"},
      {6, 4, -1.0, "******"}, {12, 3, 99999999.9996, "************"}, {12, 3, 99999999.9994, "99999999.999"},
      {12, 3, -9999999.9994, "-9999999.999"}, {12, 4, 5.0 / 60.0, "      0.0833"}, {12, 2, 1234.567, "     1234.57"},
      // Large values and many decimals go the general way.
      {25, 12, 1.0 / 3.0, "           0.333333333333"}, {24, 2, 1e19, " 10000000000000000000.00"},
      {21, 0, 1e19, "10000000000000000000."}, {20, 0, 1e19, "********************"}, {3, 2, 1e300, "***"},
  };
  for (const auto& c : cases) EXPECT_EQ(ffmt::F(c.w, c.d, c.v), c.want) << "F" << c.w << "." << c.d << " of " << c.v;
}

TEST(FixedField, FloatsAreWrittenFromTheirExactValue) {
  EXPECT_EQ(ffmt::F(20, 0, 1e19f), "9999999980506447872.");
  EXPECT_EQ(ffmt::F(12, 8, 0.3f), "  0.30000001");
  EXPECT_EQ(ffmt::F(12, 3, 0.1f + 0.2f), "       0.300");
  EXPECT_EQ(ffmt::F(12, 3, 16777216.0f), "16777216.000");
  EXPECT_EQ(ffmt::F(12, 10, 1e-10f), "0.0000000001");
}

TEST(FixedField, NotANumberAndInfinities) {
  const FCase cases[] = {
      {3, 2, kNaN, "NaN"},          {6, 2, kNaN, "   NaN"},    {2, 0, kNaN, "**"},          {5, 1, -kNaN, "  NaN"},
      {8, 3, kInf, "Infinity"},     {10, 3, kInf, "  Infinity"}, {7, 3, kInf, "    Inf"},  {3, 0, kInf, "Inf"},
      {2, 0, kInf, "**"},           {9, 3, -kInf, "-Infinity"}, {8, 3, -kInf, "    -Inf"}, {4, 0, -kInf, "-Inf"},
      {3, 0, -kInf, "***"},         {12, 3, kNaN, "         NaN"}, {12, 3, -kNaN, "         NaN"},
      {12, 3, -kInf, "   -Infinity"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ffmt::F(c.w, c.d, c.v), c.want) << "F" << c.w << "." << c.d << " of " << c.v;
    EXPECT_EQ(placed_F(c.w, c.d, static_cast<float>(c.v)), c.want) << "F" << c.w << "." << c.d << " of " << c.v;
  }
}

TEST(FixedField, DegenerateWidthsAndDecimals) {
  EXPECT_EQ(ffmt::F(0, 0, 1.0), "");
  EXPECT_EQ(ffmt::F(-3, 0, 1.0), "");
  EXPECT_EQ(ffmt::F(5, 5, 0.5), "*****");
  EXPECT_EQ(ffmt::F(5, std::numeric_limits<int>::max(), 0.5), "*****");
  EXPECT_EQ(ffmt::F(200, 150, 0.5).size(), 200u);
  EXPECT_EQ(ffmt::F(200, 150, 0.5).substr(48, 6), "0.5000");
}

// What the C library writes, with the three adjustments of the F edit: the
// point ends a text with no decimals, the optional leading zero is dropped
// when only that makes the text fit, and a text that does not fit is all
// asterisks.
std::string reference_F(int w, int d, double v) {
  std::vector<char> buf(static_cast<std::size_t>(d) + 400);
  std::snprintf(buf.data(), buf.size(), "%.*f", d, v);
  std::string s = buf.data();
  if (d == 0) s += '.';
  if (s.size() > static_cast<std::size_t>(w) && d > 0) {
    const std::size_t z = s[0] == '-' ? 1 : 0;
    if (s.compare(z, 2, "0.") == 0) s.erase(z, 1);
  }
  if (s.size() > static_cast<std::size_t>(w)) return stars(w);
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

TEST(FixedField, AgreesWithTheCLibraryOnRandomFloats) {
  std::mt19937_64 rng(20240601);
  std::uniform_int_distribution<int> wd(1, 24), dd(0, 12);
  int checked = 0;
  while (checked < 200000) {
    const auto bits = static_cast<std::uint32_t>(rng());
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (!std::isfinite(f)) continue;
    // Spread the exponents over the range the writers meet most.
    if (std::fabs(f) > 1e12f && (bits & 7) != 0) continue;
    const int w = wd(rng), d = dd(rng);
    ASSERT_EQ(ffmt::F(w, d, f), reference_F(w, d, f)) << "F" << w << "." << d << " of " << f;
    ++checked;
  }
}

TEST(FixedField, AgreesWithTheCLibraryOnRandomDoubles) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<int> wd(1, 30), dd(0, 14), ed(-12, 14);
  std::uniform_real_distribution<double> md(-10.0, 10.0);
  for (int i = 0; i < 200000; ++i) {
    const double v = md(rng) * std::pow(10.0, ed(rng));
    const int w = wd(rng), d = dd(rng);
    ASSERT_EQ(ffmt::F(w, d, v), reference_F(w, d, v)) << "F" << w << "." << d << " of " << v;
  }
}

TEST(FixedField, AgreesWithTheCLibraryOnExactTies) {
  // n / 2^(d+1) has exactly d+1 decimals ending in 5: a tie at d decimals.
  std::mt19937_64 rng(99);
  for (int d = 0; d <= 9; ++d) {
    for (int i = 0; i < 20000; ++i) {
      const auto n = static_cast<std::int64_t>(rng() % 4000000) - 2000000;
      const double v = std::ldexp(static_cast<double>(n), -(d + 1));
      ASSERT_EQ(ffmt::F(24, d, v), reference_F(24, d, v)) << "d=" << d << " v=" << v;
      ASSERT_EQ(ffmt::F(24, d, static_cast<float>(v)), reference_F(24, d, static_cast<float>(v)));
    }
  }
}

TEST(FixedField, AppendsWithoutAllocating) {
  std::string row(1, 'x');
  row.reserve(8192);
  const long before = g_allocations.load();
  for (int i = 0; i < 100; ++i) {
    ffmt::put_F(row, 12, 3, static_cast<float>(i) * 1.25f);
    ffmt::put_F(row, 16, 3, 1e13);  // general path, asterisks
    ffmt::put_F(row, 20, 0, 1e19);  // general path, digits
    ffmt::put_I(row, 12, i);
  }
  EXPECT_EQ(g_allocations.load(), before);
  EXPECT_EQ(row.substr(0, 13), "x       0.000");
  EXPECT_EQ(row.size(), 1u + 100u * (12 + 16 + 20 + 12));
}

// ---- the in-place float field ---------------------------------------------

// The values where the fields built from eight digits change shape: ties,
// carries into a new digit, the last value that rounds below 10^8 units of
// the last decimal and the first that does not, signs of zero, the largest
// integer part that still leaves a column for the sign.
const float kFieldBoundaries[] = {
    0.0f,        -0.0f,        0.0005f,     -0.0005f,    0.0625f,     -0.0625f,   0.125f,      0.375f,
    2.5f,        3.5f,         0.9995f,     0.99951f,    9.9995f,     99.9996f,   -0.0004f,    1.0e-7f,
    9999.99995f, 99999.99f,    99999.9995f, 100000.0f,   999999.99f,  999999.995f, 1234567.5f, 9999999.0f,
    -9999999.0f, 10000000.0f,  -10000000.0f, 12345678.0f, 99999992.0f, 1.0e8f,     -1.0e8f,     1.0e9f,
    -3.0e9f,     16777216.0f,  8388608.5f,  0.1f,        0.2f,        1.0f / 3.0f, 1234.5f,     -1234.5625f,
    9.99999f,    -0.5f,        -9999.0f,    -99999.0f,
};

TEST(FixedFieldInPlace, BoundariesAgreeWithTheGeneralConversion) {
  for (const float v : kFieldBoundaries) {
    for (const int w : {1, 5, 8, 9, 10, 11, 12, 13, 16, 24, 64, 65}) {
      for (int d = 0; d <= 10; ++d) {
        // The double's conversion is the general one, and the C library's
        // the reference.
        const std::string want = reference_F(w, d, v);
        ASSERT_EQ(ffmt::F(w, d, static_cast<double>(v)), want) << "F" << w << "." << d << " of " << v;
        ASSERT_EQ(placed_F(w, d, v), want) << "F" << w << "." << d << " of " << v;
        ASSERT_EQ(ffmt::F(w, d, v), want) << "F" << w << "." << d << " of " << v;
      }
    }
  }
}

TEST(FixedFieldInPlace, RandomTableValuesAgreeWithTheCLibrary) {
  // Magnitudes of flows and times, every sign, the shapes the tables print.
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> mant(-10.0, 10.0);
  std::uniform_int_distribution<int> ex(-5, 8);
  const int shapes[][2] = {{12, 3}, {12, 2}, {12, 4}, {16, 3}, {10, 1}, {9, 7}};
  for (int i = 0; i < 300000; ++i) {
    const auto v = static_cast<float>(mant(rng) * std::pow(10.0, ex(rng)));
    const auto& s = shapes[i % 6];
    ASSERT_EQ(placed_F(s[0], s[1], v), reference_F(s[0], s[1], v)) << "F" << s[0] << "." << s[1] << " of " << v;
  }
}

TEST(FixedFieldInPlace, DenormalsUnderFlushToZero) {
  const float denormals[] = {std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
                             1e-40f, -1e-40f, std::numeric_limits<float>::min() / 2};
  std::vector<std::string> want, got;
  for (const float v : denormals)
    for (int d = 0; d <= 9; ++d) want.push_back(reference_F(12, d, v));
  {
    const xptest::ProgramFpMode fp;  // restored after: the other tests of this process run with the default
    for (const float v : denormals)
      for (int d = 0; d <= 9; ++d) got.push_back(placed_F(12, d, v));
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(got[3 * 10 + 3], "      -0.000") << "a negative denormal keeps its sign";
}

// ---- token conversions ---------------------------------------------------

TEST(ParseReal, AcceptedForms) {
  struct Case {
    std::string_view text;
    float want;
  };
  const Case cases[] = {
      {"1.5", 1.5f},     {".5", 0.5f},       {"5.", 5.0f},      {"+2.5", 2.5f},    {"-7", -7.0f},
      {"1.5D3", 1500.f}, {"1.5d2", 150.f},   {"1.5E+3", 1500.f}, {"1.5e-2", 0.015f}, {"1.5q-1", 0.15f},
      {"1+3", 1000.f},   {"1-2", 0.01f},     {"2.5Q2", 250.f},  {"5.e1", 50.f},    {"007", 7.f},
  };
  for (const auto& c : cases) {
    float v = -123.f;
    EXPECT_EQ(ffmt::parse_real(c.text, v), kOk) << c.text;
    EXPECT_EQ(v, c.want) << c.text;
  }
}

TEST(ParseReal, SpecialValuesInAnyCase) {
  float v = 0;
  ASSERT_EQ(ffmt::parse_real("NaN", v), kOk);
  EXPECT_TRUE(std::isnan(v));
  ASSERT_EQ(ffmt::parse_real("inf", v), kOk);
  EXPECT_EQ(v, std::numeric_limits<float>::infinity());
  ASSERT_EQ(ffmt::parse_real("-INFINITY", v), kOk);
  EXPECT_EQ(v, -std::numeric_limits<float>::infinity());
  ASSERT_EQ(ffmt::parse_real("+Infinity", v), kOk);
  EXPECT_EQ(v, std::numeric_limits<float>::infinity());
}

TEST(ParseReal, RejectedForms) {
  const std::string_view bad[] = {".",   "-.",   "1.5e", "T",     "5min", "",     "-",   "+",     "1.5.", "1e+",
                                  "1.5ee3", "e5", ".e5",  "infin", "nanx", "'5'", "1 5", "0x10", "1e5.5", "+-1",
                                  "1.5+", "--1",  "1e40", "-1e40", "3.4028236e38"};
  for (const auto t : bad) {
    float v = 42.f;
    EXPECT_EQ(ffmt::parse_real(t, v), kError) << t;
    EXPECT_EQ(v, 42.f) << t;
  }
}

TEST(ParseReal, RangeOfTheTarget) {
  float f = 1;
  EXPECT_EQ(ffmt::parse_real("3.4028235e38", f), kOk);
  EXPECT_EQ(f, std::numeric_limits<float>::max());
  EXPECT_EQ(ffmt::parse_real("1e-50", f), kOk);
  EXPECT_EQ(f, 0.0f);
  EXPECT_FALSE(std::signbit(f));
  EXPECT_EQ(ffmt::parse_real("-1e-50", f), kOk);
  EXPECT_EQ(f, 0.0f);
  EXPECT_TRUE(std::signbit(f));
  EXPECT_EQ(ffmt::parse_real("1.5e-99999999999999999999", f), kOk);
  EXPECT_EQ(f, 0.0f);
  EXPECT_EQ(ffmt::parse_real("1e99999999999999999999", f), kError);
  // Too large or too small is judged from the whole number, not its exponent.
  const std::string zeros(58, '0');
  EXPECT_EQ(ffmt::parse_real("0." + zeros + "1e100", f), kError);  // 1e41
  EXPECT_EQ(ffmt::parse_real("0." + zeros + "1e90", f), kOk);
  EXPECT_EQ(f, 1e31f);
  EXPECT_EQ(ffmt::parse_real("100000000000000000000e-70", f), kOk);
  EXPECT_EQ(f, 0.0f);

  double d = 1;
  EXPECT_EQ(ffmt::parse_real("1e40", d), kOk);
  EXPECT_EQ(d, 1e40);
  EXPECT_EQ(ffmt::parse_real("1e400", d), kError);
  EXPECT_EQ(ffmt::parse_real("1e-400", d), kOk);
  EXPECT_EQ(d, 0.0);
}

TEST(ParseReal, RoundsOnceStraightToFloat) {
  // Just above the midpoint between 1 and the next float: rounding through
  // a double lands on the midpoint and then goes down to 1.
  float f = 0;
  ASSERT_EQ(ffmt::parse_real("1.000000059604644775390625000000001", f), kOk);
  EXPECT_EQ(f, std::nextafter(1.0f, 2.0f));
  ASSERT_EQ(ffmt::parse_real("1.000000059604644775390625", f), kOk);
  EXPECT_EQ(f, 1.0f);
}

TEST(ParseReal, LongMantissas) {
  const std::string tiny = "0." + std::string(200, '0') + "1";
  const std::string huge = "1" + std::string(200, '0');
  float f = 5;
  EXPECT_EQ(ffmt::parse_real(tiny, f), kOk);
  EXPECT_EQ(f, 0.0f);
  EXPECT_EQ(ffmt::parse_real(huge, f), kError);
  double d = 0;
  EXPECT_EQ(ffmt::parse_real(huge + "e-190", d), kOk);
  EXPECT_EQ(d, 1e10);
}

// Mantissas of more digits than any rounding needs, in every exponent form:
// the value is the one the whole number has (from_chars of its plain form),
// also where a last digit far out decides between two floats or doubles.
TEST(ParseReal, MantissasBeyondTheDigitsThatRoundGiveTheWholeNumbersValue) {
  const std::string far(900, '0');
  const std::string float_half = "1.000000059604644775390625", double_half = "1.00000000000000011102230246251565404236316680908203125";
  std::string digits;
  for (int i = 0; i < 120; ++i) digits += "1234567890";
  const struct {
    std::string sign, mant, exp_form, exp;  // the number as sign mant exp_form exp
  } cases[] = {
      {"", float_half + far + "1", "", ""},  {"+", float_half + far + "1", "D", "0"},
      {"-", float_half + far, "", ""},       {"", double_half + far + "1", "q", "+0"},
      {"", double_half + far, "E", "-0"},    {"", "0." + far + "15", "e", "902"},
      {"-", digits, "d", "-1190"},           {"", digits + "." + digits, "", "-1195"},
      {"", "0" + far + "." + far, "", ""},   {"-", "." + far + far + "3", "", "+1803"},
  };
  for (const auto& c : cases) {
    const std::string token = c.sign + c.mant + c.exp_form + c.exp;
    const std::string plain = (c.sign == "-" ? "-" : "") + c.mant + (c.exp.empty() ? "" : "e" + c.exp);
    SCOPED_TRACE(token.substr(0, 60));
    float f = 7, want_f = 0;
    double d = 7, want_d = 0;
    std::from_chars(plain.data(), plain.data() + plain.size(), want_f);
    std::from_chars(plain.data(), plain.data() + plain.size(), want_d);
    ASSERT_EQ(ffmt::parse_real(token, f), kOk);
    ASSERT_EQ(ffmt::parse_real(token, d), kOk);
    EXPECT_EQ(f, want_f);
    EXPECT_EQ(std::signbit(f), std::signbit(want_f));
    EXPECT_EQ(d, want_d);
  }
  float f = 0;
  EXPECT_EQ(ffmt::parse_real(float_half + far + "1", f), kOk);
  EXPECT_EQ(f, std::nextafter(1.0f, 2.0f)) << "the digit that decides is beyond the digits kept";
  EXPECT_EQ(ffmt::parse_real("1" + far + "D-800", f), kError) << "1e100 is too large";
  EXPECT_EQ(ffmt::parse_real("0." + far + "1" + far, f), kOk);
  EXPECT_EQ(f, 0.0f);
}

TEST(ParseInt, SignAndDigitsOnly) {
  std::int32_t v = 0;
  EXPECT_EQ(ffmt::parse_int("+5", v), kOk);
  EXPECT_EQ(v, 5);
  EXPECT_EQ(ffmt::parse_int("-0", v), kOk);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(ffmt::parse_int("-2147483648", v), kOk);
  EXPECT_EQ(v, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ffmt::parse_int("2147483647", v), kOk);
  EXPECT_EQ(v, std::numeric_limits<std::int32_t>::max());
  const std::string_view bad[] = {"2147483648", "-2147483649", "12.5", "1e3", "12abc", "0201-", "-",
                                  "+",          "\"5\"",       "",     "+-5", " 5",    "5.",    "0x1"};
  for (const auto t : bad) {
    v = 77;
    EXPECT_EQ(ffmt::parse_int(t, v), kError) << t;
    EXPECT_EQ(v, 77) << t;
  }
  std::int64_t w = 0;
  EXPECT_EQ(ffmt::parse_int("-9223372036854775808", w), kOk);
  EXPECT_EQ(w, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ffmt::parse_int("2147483648", w), kOk);
  EXPECT_EQ(w, 2147483648LL);
  EXPECT_EQ(ffmt::parse_int("9223372036854775808", w), kError);
}

// ---- fixed-column reads --------------------------------------------------

TEST(FixedInt, BlanksIgnoredOrTakenAsZeros) {
  struct Case {
    std::string_view field;
    bool bz;
    int st;
    std::int32_t want;
  };
  const Case cases[] = {
      {"   12", false, kOk, 12},    {" 12  ", false, kOk, 12},     {" 12  ", true, kOk, 1200},
      {"   12", true, kOk, 12},     {"     ", false, kOk, 0},      {"", false, kOk, 0},
      {"     ", true, kOk, 0},      {" -12 ", false, kOk, -12},    {" - 5", false, kOk, -5},
      {"- 5", true, kOk, -5},       {"+7", false, kOk, 7},         {"-  ", true, kOk, 0},
      {"1 2", false, kOk, 12},      {"1.5", false, kError, 0},     {"1A", false, kError, 0},
      {" + ", false, kError, 0},    {"12-", false, kError, 0},     {"--1", false, kError, 0},
      {"2147483648", false, kError, 0}, {"-2147483648", false, kOk, std::numeric_limits<std::int32_t>::min()},
      {"\t12", false, kError, 0},
  };
  for (const auto& c : cases) {
    std::int32_t v = 99;
    EXPECT_EQ(ffmt::fixed_int(c.field, v, c.bz), c.st) << "[" << c.field << "] bz=" << c.bz;
    EXPECT_EQ(v, c.st == kOk ? c.want : 99) << "[" << c.field << "] bz=" << c.bz;
  }
  std::int64_t w = 0;
  EXPECT_EQ(ffmt::fixed_int("-9223372036854775808", w), kOk);
  EXPECT_EQ(w, std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ffmt::fixed_int(" 9223372036854775808", w), kError);
  EXPECT_EQ(ffmt::fixed_int(" 922337203685477580 ", w, true), kOk);
  EXPECT_EQ(w, 9223372036854775800LL);
  EXPECT_EQ(ffmt::fixed_int(" 922337203685477581 ", w, true), kError);
}

TEST(FixedReal, WholeNumbersExponentsAndBlanks) {
  struct Case {
    std::string_view field;
    int st;
    float want;
  };
  const Case cases[] = {
      {"2 00", kOk, 200.f},      {"  1.5     ", kOk, 1.5f}, {"1 .5", kOk, 1.5f},  {"12", kOk, 12.f},
      {"-3", kOk, -3.f},         {"1.5+3", kOk, 1500.f},    {"1.5-1", kOk, .15f}, {"1.5e3", kOk, 1500.f},
      {"1.5D3", kOk, 1500.f},    {"2.5E -1", kOk, .25f},    {".", kOk, 0.f},      {"+", kOk, 0.f},
      {"-", kOk, 0.f},           {"  ", kOk, 0.f},          {"", kOk, 0.f},       {".e5", kOk, 0.f},
      {"1e-50", kOk, 0.f},       {"abc", kError, 0},        {"1.5x", kError, 0},  {"1e40", kError, 0},
      {"1.5e", kError, 0},       {"+e5", kError, 0},        {"1.5.", kError, 0},  {"1,5", kError, 0},
  };
  for (const auto& c : cases) {
    float v = 99.f;
    EXPECT_EQ(ffmt::fixed_real(c.field, v), c.st) << "[" << c.field << "]";
    EXPECT_EQ(v, c.st == kOk ? c.want : 99.f) << "[" << c.field << "]";
  }
  float v = 0;
  EXPECT_EQ(ffmt::fixed_real(" In f", v), kOk);
  EXPECT_EQ(v, std::numeric_limits<float>::infinity());
  EXPECT_EQ(ffmt::fixed_real("  NaN", v), kOk);
  EXPECT_TRUE(std::isnan(v));
  EXPECT_EQ(ffmt::fixed_real("-.", v), kOk);
  EXPECT_TRUE(v == 0.f && std::signbit(v));
  double d = 0;
  EXPECT_EQ(ffmt::fixed_real(" 1e40", d), kOk);
  EXPECT_EQ(d, 1e40);
}

TEST(FixedReal, PlainFieldsAgreeWithTheGeneralReading) {
  // Plain decimals between blanks take a shorter way; the general reading
  // of the same text without its blanks is the reference, to the bit.
  const std::string_view fields[] = {
      "    1.2345", "  -0.000  ", "+12",      "1.",        ".5",        "-.5",       "12345678",  "1234567",
      "0.0000001",  "9999999.",   "  16777217", "1 .5",    "1.5e3",     "  -0  ",    "  0.1     ", "-9.999999",
      "3.4028235e38", "1.5.",     "1..",      "-",         ".",         "1-",        "\t1.5",     "1.5\t",
      "00000000.5", "123456.78",  "+.25",     "  99999.999",
  };
  for (const std::string_view f : fields) {
    std::string bare;
    for (const char c : f)
      if (c != ' ') bare += c;
    float got = -99.f, want = -99.f;
    const int st = ffmt::fixed_real(f, got);
    const int general = bare.empty() ? kOk : ffmt::parse_real(bare, want);
    if (general != kOk) continue;  // the general reading's own forms and errors are tested above
    ASSERT_EQ(st, kOk) << "[" << f << "]";
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << "[" << f << "] " << got << " " << want;
  }
  float v = 0;
  EXPECT_EQ(ffmt::fixed_real("\t1.5", v), kError) << "a TAB is no blank in a fixed field";
  EXPECT_EQ(ffmt::fixed_real("1.5.", v), kError);
  EXPECT_EQ(ffmt::fixed_real("  -0.000  ", v), kOk);
  EXPECT_TRUE(v == 0.f && std::signbit(v));
}

// ---- free-form reads -----------------------------------------------------

TEST(ListRead, SeparatorsAreBlanksTabsAndCommas) {
  float a = 0, b = 0, c = 0;
  EXPECT_EQ(ffmt::list_read("1 2\t3", a, b, c), kOk);
  EXPECT_EQ(a + b * 10 + c * 100, 321.f);
  EXPECT_EQ(ffmt::list_read("  4 ,5,   6  ", a, b, c), kOk);
  EXPECT_EQ(a + b * 10 + c * 100, 654.f);
  std::int32_t i = 0;
  EXPECT_EQ(ffmt::list_read("\t42", i), kOk);
  EXPECT_EQ(i, 42);
}

TEST(ListRead, NullValuesLeaveTheirItems) {
  struct Case {
    std::string_view text;
    int st;
    std::int32_t a, b, c;
  };
  // Items start as -1, -2, -3.
  const Case cases[] = {
      {"1,,3", kOk, 1, -2, 3},     {",5", kEnd, -1, 5, -3},     {",,5", kOk, -1, -2, 5},
      {"1 , , 2", kOk, 1, -2, 2},  {"3*7", kOk, 7, 7, 7},      {"2*,5", kOk, -1, -2, 5},
      {"3*", kOk, -1, -2, -3},     {"2* 9", kOk, -1, -2, 9},   {"1*4 5 6", kOk, 4, 5, 6},
      {"2*", kEnd, -1, -2, -3},    {"1,2,", kEnd, 1, 2, -3},   {"1 2", kEnd, 1, 2, -3},
      {"", kEnd, -1, -2, -3},      {"   ", kEnd, -1, -2, -3},  {"0*5", kError, -1, -2, -3},
      {"2*/", kOk, -1, -2, -3},    {"1 / 5", kOk, 1, -2, -3},  {"/", kOk, -1, -2, -3},
      {"1,/", kOk, 1, -2, -3},     {"1 2 3 4", kOk, 1, 2, 3},  {"1 2 x", kError, 1, 2, -3},
  };
  for (const auto& c : cases) {
    std::int32_t a = -1, b = -2, d = -3;
    EXPECT_EQ(ffmt::list_read(c.text, a, b, d), c.st) << "[" << c.text << "]";
    EXPECT_EQ(a, c.a) << "[" << c.text << "]";
    EXPECT_EQ(b, c.b) << "[" << c.text << "]";
    EXPECT_EQ(d, c.c) << "[" << c.text << "]";
  }
}

TEST(ListRead, SlashIsReported) {
  ffmt::ListReader r("1 / 5");
  std::int32_t a = 0, b = 9;
  EXPECT_EQ(r.read(a), kOk);
  EXPECT_FALSE(r.ended_by_slash());
  EXPECT_EQ(r.read(b), kOk);
  EXPECT_TRUE(r.ended_by_slash());
  EXPECT_EQ(b, 9);
  EXPECT_EQ(r.read(b), kOk);
  EXPECT_EQ(b, 9);
}

TEST(ListRead, IntegerItems) {
  struct Case {
    std::string_view text;
    int st;
    std::int32_t want;
  };
  const Case cases[] = {
      {"+5", kOk, 5},        {"12 abc", kOk, 12},  {"12,abc", kOk, 12},  {"12/", kOk, 12},
      {"12.5", kError, 0},   {"1e3", kError, 0},   {"12abc", kError, 0}, {"0201-", kError, 0},
      {"-", kError, 0},      {"\"5\"", kError, 0}, {"'5'", kError, 0},   {"99999999999", kError, 0},
      {"5.", kError, 0},     {"2*x", kError, 0},   {"+2*5", kError, 0},  {"99999999999*1", kError, 0},
  };
  for (const auto& c : cases) {
    std::int32_t v = -7;
    EXPECT_EQ(ffmt::list_read(c.text, v), c.st) << c.text;
    EXPECT_EQ(v, c.st == kOk ? c.want : -7) << c.text;
  }
  std::int64_t w = 0;
  EXPECT_EQ(ffmt::list_read("99999999999", w), kOk);
  EXPECT_EQ(w, 99999999999LL);
}

TEST(ListRead, RealItems) {
  float a = 0, b = 0, c = 0;
  EXPECT_EQ(ffmt::list_read("3*1.5", a, b, c), kOk);
  EXPECT_TRUE(a == 1.5f && b == 1.5f && c == 1.5f);
  EXPECT_EQ(ffmt::list_read("1+3, 1-2 1.5D3", a, b, c), kOk);
  EXPECT_TRUE(a == 1000.f && b == 0.01f && c == 1500.f);
  EXPECT_EQ(ffmt::list_read("1e-50 NaN -Inf", a, b, c), kOk);
  EXPECT_TRUE(a == 0.f && std::isnan(b) && c == -std::numeric_limits<float>::infinity());
  a = 7;
  EXPECT_EQ(ffmt::list_read("1e40", a), kError);
  EXPECT_EQ(ffmt::list_read("5min", a), kError);
  EXPECT_EQ(a, 7.f);
  double d = 0;
  EXPECT_EQ(ffmt::list_read("0.1", d), kOk);
  EXPECT_EQ(d, 0.1);
}

TEST(ListRead, SkipRealStillValidates) {
  ffmt::ListReader r("1.5 2e3 x");
  EXPECT_EQ(r.skip_real(), kOk);
  EXPECT_EQ(r.skip_real(), kOk);
  EXPECT_EQ(r.skip_real(), kError);
  ffmt::ListReader e("1e40");
  EXPECT_EQ(e.skip_real(), kError);
  ffmt::ListReader n("");
  EXPECT_EQ(n.skip_real(), kEnd);
}

TEST(ListRead, CharacterItems) {
  struct Case {
    std::string_view text;
    int st;
    std::string_view a, b, c;
  };
  // Items start as "x", "y", "z".
  const Case cases[] = {
      {"abc def ghi", kOk, "abc", "def", "ghi"},
      {"'it''s',\"a\"\"b\" c", kOk, "it's", "a\"b", "c"},
      {"'a, b/c' d e", kOk, "a, b/c", "d", "e"},
      {"abc/def", kOk, "abc", "y", "z"},
      {"12ab ab'c 3", kOk, "12ab", "ab'c", "3"},
      {"3*abc", kOk, "abc", "abc", "abc"},
      {"3*'a b'", kOk, "a b", "a b", "a b"},
      {"'' , ,q", kOk, "", "y", "q"},
      {"'ab'cd e f", kError, "x", "y", "z"},
      {"a b 'abc", kOk, "a", "b", "abc"},
      {"a,b", kEnd, "a", "b", "z"},
  };
  for (const auto& c : cases) {
    std::string a = "x", b = "y", d = "z";
    EXPECT_EQ(ffmt::list_read(c.text, a, b, d), c.st) << c.text;
    EXPECT_EQ(a, c.a) << c.text;
    EXPECT_EQ(b, c.b) << c.text;
    EXPECT_EQ(d, c.c) << c.text;
  }
}

// An external read over a list of records; every record is handed out in
// the same buffer, as a line reader would do.
class Records {
 public:
  explicit Records(std::vector<std::string> recs) : recs_(std::move(recs)) {}
  ffmt::ListReader reader() {
    buf_ = recs_.at(0);
    next_ = 1;
    return ffmt::ListReader(buf_, [this](std::string_view& r) {
      if (next_ >= recs_.size()) return false;
      buf_.assign(recs_[next_++]);
      r = buf_;
      return true;
    });
  }
  std::size_t used() const { return next_; }

 private:
  std::vector<std::string> recs_;
  std::string buf_;
  std::size_t next_ = 0;
};

TEST(ListReadExternal, ContinuesOnLaterRecordsSkippingBlankOnes) {
  Records recs({"1 2", "", "    ", "3 99"});
  auto r = recs.reader();
  std::int32_t a = 0, b = 0, c = 0;
  EXPECT_EQ(r.read(a), kOk);
  EXPECT_EQ(r.read(b), kOk);
  EXPECT_EQ(recs.used(), 1u);  // no record is fetched before it is needed
  EXPECT_EQ(r.read(c), kOk);
  EXPECT_EQ(recs.used(), 4u);
  EXPECT_EQ(a * 100 + b * 10 + c, 123);
}

TEST(ListReadExternal, CommaAtTheEndOrStartOfARecord) {
  std::int32_t a = -1, b = -2, c = -3;
  {
    Records recs({"1,2,", "3"});
    auto r = recs.reader();
    EXPECT_EQ(r.read(a), kOk);
    EXPECT_EQ(r.read(b), kOk);
    EXPECT_EQ(r.read(c), kOk);
    EXPECT_EQ(c, 3);
  }
  {
    // The end of the record is a blank; with the comma after it, one separator.
    Records recs({"1", ",2"});
    auto r = recs.reader();
    b = -2;
    EXPECT_EQ(r.read(a), kOk);
    EXPECT_EQ(r.read(b), kOk);
    EXPECT_EQ(b, 2);
  }
  {
    Records recs({"1,", ",2"});
    auto r = recs.reader();
    b = -2;
    EXPECT_EQ(r.read(a), kOk);
    EXPECT_EQ(r.read(b), kOk);
    EXPECT_EQ(b, -2);  // null value
    EXPECT_EQ(r.read(c), kOk);
    EXPECT_EQ(c, 2);
  }
}

TEST(ListReadExternal, EndOfRecordsAndQuotedConstantsOverRecords) {
  {
    Records recs({"1", "  "});
    auto r = recs.reader();
    std::int32_t a = 0, b = 5;
    EXPECT_EQ(r.read(a), kOk);
    EXPECT_EQ(r.read(b), kEnd);
    EXPECT_EQ(b, 5);
  }
  {
    Records recs({"2*'ab", "cd' x"});
    auto r = recs.reader();
    std::string a, b, c;
    EXPECT_EQ(r.read(a), kOk);
    EXPECT_EQ(r.read(b), kOk);
    EXPECT_EQ(r.read(c), kOk);
    EXPECT_EQ(a + "|" + b + "|" + c, "abcd|abcd|x");
  }
  {
    Records recs({"'never closed"});
    auto r = recs.reader();
    std::string a = "keep";
    EXPECT_EQ(r.read(a), kEnd);
    EXPECT_EQ(a, "keep");
  }
}

// Reads three items of type T from text, then a real, both as an internal
// read (which takes plain values a shorter way) and as an external one of the
// same record with no further records (which goes the general way): values,
// statuses and what the reader tells must agree item by item, so the position
// after each agrees too.
template <class T>
void expect_general_way(std::string_view text) {
  ffmt::ListReader fast(text);
  ffmt::ListReader general(text, [](std::string_view&) { return false; });
  int st = kOk;
  for (int i = 0; i < 3 && st == kOk; ++i) {
    T a = T(-99), b = T(-99);
    st = fast.read(a);
    ASSERT_EQ(st, general.read(b)) << "[" << text << "] item " << i;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "[" << text << "] item " << i << ": " << a << " " << b;
    EXPECT_EQ(fast.value_read(), general.value_read()) << "[" << text << "] item " << i;
    EXPECT_EQ(fast.ended_by_slash(), general.ended_by_slash()) << "[" << text << "] item " << i;
  }
  if (st != kOk) return;
  float x = -99.f, y = -99.f;
  ASSERT_EQ(fast.read(x), general.read(y)) << "[" << text << "] real after";
  EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "[" << text << "] real after";
}

TEST(ListRead, PlainValuesAgreeWithTheGeneralTokenPath) {
  const std::string_view decimals[] = {
      "1. .5 -.5",      "+3 -0 0.000",      "12345678.9 1.25", "00000001.5,2",   "1.2.3 4",
      "1.5e3 2",        "5, 6",             "5 ,6 ,, 7",       "5/ 6",           "1.5x 2",
      ". 1",            "- 1",              "  \t 7.25\t8",    "0.1 0.2 0.3",    "16777217 1",
      "99999.999 -0.0", "1,",               "3*2.5 1",         "'1' 2",          "123456789012345678901234 1",
  };
  for (const std::string_view text : decimals) expect_general_way<float>(text);
  const std::string_view integers[] = {
      "1 2 3 4.5",         "+7 -0 0012 1",  "123456789 1 2 3",   "1234567890 5",     "2147483647 -2147483648 1 1",
      "2147483648 1",      "5, 6 ,, 7 8",   "5/ 6",              "5 /",              "1.5 2",
      "12abc 1",           "- 1",           "+ 1",               "\t7\t8 9 1.25",  "5*2 1",
      "'1' 2",             "1,",            "00000000000007 1 2 3", "3 4 5,",       "9 8e1 7",
  };
  for (const std::string_view text : integers) expect_general_way<std::int32_t>(text);
}

TEST(ListRead, InternalReadsDoNotAllocate) {
  const std::string line = "   12.5  0 0 0 0  0.10  0.20  0 0.30 ";
  float v[9] = {};
  std::int32_t n = 0;
  const long before = g_allocations.load();
  for (int i = 0; i < 100; ++i) {
    ffmt::ListReader r(line);
    for (float& x : v) ASSERT_EQ(r.read(x), kOk);
    ASSERT_EQ(ffmt::list_read("1,,3*2 4", n, n, n, n), kOk);
  }
  EXPECT_EQ(g_allocations.load(), before);
  EXPECT_EQ(v[0], 12.5f);
  EXPECT_EQ(v[8], 0.3f);
}

}  // namespace

namespace {

TEST(ListReaderValueRead, NullValuesAndSlashLeaveNoValue) {
  struct Case {
    std::string_view text;
    bool value;
  };
  const Case cases[] = {{"5", true}, {",5", false}, {"/", false}, {"3*", false}, {"2*7", true}, {" 1.5 x", true}};
  for (const auto& c : cases) {
    ffmt::ListReader r(c.text);
    float v = -1.0f;
    EXPECT_EQ(r.read(v), ffmt::kOk) << c.text;
    EXPECT_EQ(r.value_read(), c.value) << c.text;
  }
}

}  // namespace

namespace {

// Short mantissas with large exponents must not be taken for exact integers.
TEST(ParseReal, ShortMantissasAgreeWithTheGeneralConversion) {
  const char* cases[] = {"1234567e15", "1234567e12", "16777217", "1677721.7e1", "9999999e-10", "0.0000001",
                         "123456789012345e7", "1e-45", "-7e22", "3.4028235e38", "16777216e0", "1.5e-3"};
  for (const char* c : cases) {
    float got = 0, want = 0;
    ASSERT_EQ(ffmt::parse_real(c, got), ffmt::kOk) << c;
    std::string t = c;
    std::from_chars(t.data(), t.data() + t.size(), want);
    EXPECT_EQ(got, want) << c;
    float read = 0;
    EXPECT_EQ(ffmt::list_read(t, read), ffmt::kOk);
    EXPECT_EQ(read, want) << c;
  }
}

}  // namespace

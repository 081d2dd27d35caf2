#include "library/numtext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>

namespace {

constexpr std::string_view kStars20 = "********************";

TEST(IntegerText, LeftAdjustedWithoutBlanksOrWithZerosInFront) {
  EXPECT_EQ(lib::AINTEGER(0), "0");
  EXPECT_EQ(lib::AINTEGER(-42), "-42");
  EXPECT_EQ(lib::AINTEGER(std::numeric_limits<std::int32_t>::min()), "-2147483648");
  EXPECT_EQ(lib::AINTEGER(std::numeric_limits<std::int32_t>::max()), "2147483647");
  EXPECT_EQ(lib::AINTEGER8(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(lib::AINTEGER8(12345678901LL), "12345678901");
  const struct {
    std::int32_t i, ndig;
    std::string_view want;
  } cases[] = {
      {12, 5, "00012"},      {-12, 5, "-12"},       {7, 1, "7"},
      {99999, 5, "99999"},   {123456, 5, "123456"}, {0, 3, "000"},
      {123456, 3, "123456"}, {5, 20, "00000000000000000005"},
      // Beyond the 20-character field nothing is added in front of it.
      {5, 25, "00000000000000000005"}, {5, 0, "5"}, {5, -3, "5"}, {0, 1, "0"},
      {std::numeric_limits<std::int32_t>::max(), 12, "002147483647"},
  };
  for (const auto& c : cases) EXPECT_EQ(lib::AINTEGERPREC0(c.i, c.ndig), c.want) << c.i << ", " << c.ndig;
  EXPECT_EQ(lib::AINTEGER8PREC0(12, 5), "00012");
  EXPECT_EQ(lib::AINTEGER8PREC0(-12, 5), "-12");
  EXPECT_EQ(lib::AINTEGER8PREC0(std::numeric_limits<std::int64_t>::max(), 30), "09223372036854775807");
}

TEST(RealText, DecimalsChosenByMagnitude) {
  const std::pair<float, std::string_view> cases[] = {
      {10.0f, "10."},          {0.0f, "0."},              {2.5f, "2.5"},           {0.05f, "0.05"},
      {0.00999f, "0.00999"},   {123.456f, "123.5"},       {1234.4f, "1234."},      {1000.0f, "1000."},
      {-0.5f, "-0.5"},         {0.0000001f, "0."},        {0.123456f, "0.1235"},   {0.0123456f, "0.01235"},
      {0.00123456f, "0.001235"}, {12.3456f, "12.35"},     {5.0f, "5."},
      // Decimals are chosen before rounding.
      {9.9996f, "10."},        {999.96f, "1000."},
      // A negative value that rounds to zero keeps its sign.
      {-0.0000001f, "-0."},
      // Rounded from the exact binary value: 0.0000025 as a float lies just below the tie.
      {0.0000025f, "0.000002"},
      {1e19f, "9999999980506447872."}, {1e25f, kStars20},  {std::numeric_limits<float>::quiet_NaN(), "NaN"},
      {std::numeric_limits<float>::infinity(), "Infinity"}, {-std::numeric_limits<float>::infinity(), "-Infinity"},
  };
  for (const auto& [x, want] : cases) EXPECT_EQ(lib::AREAL(x), want) << x;
  const std::pair<double, std::string_view> doubles[] = {
      {0.5, "0.5"},       {12345.678, "12345.678"},        {2000000000.0, "2000000000."},      {0.1, "0.1"},
      {1e-11, "0."},      {0.123456789012, "0.123456789"}, {123456789.123, "123456789.1"},
      {999999999.96, "1000000000."},                       {-3.25, "-3.25"},                   {1e21, kStars20},
  };
  for (const auto& [x, want] : doubles) EXPECT_EQ(lib::AREAL8(x), want) << x;
}

TEST(RealText, FixedDecimalsKeepTrailingZeros) {
  const std::tuple<float, std::int32_t, std::string_view> cases[] = {
      {2.5f, 3, "2.500"}, {0.125f, 1, "0.1"}, {12.0f, 0, "12."}, {1.0e25f, 2, kStars20},
      // A negative number of decimals writes none.
      {2.5f, -1, "2."}, {3.7f, -5, "4."},
      // Many decimals: the optional zero goes first, then nothing fits.
      {0.5f, 19, ".5000000000000000000"}, {-0.5f, 19, kStars20}, {0.5f, 20, kStars20},
      {0.5f, std::numeric_limits<std::int32_t>::max(), kStars20},
  };
  for (const auto& [x, d, want] : cases) EXPECT_EQ(lib::AREALD(x, d), want) << x << " " << d;
  EXPECT_EQ(lib::AREALD4(2.5f, 3), "2.500");
  EXPECT_EQ(lib::AREALD8(0.1, 17), "0.10000000000000001");
  EXPECT_EQ(lib::AREALD8(-2.5, 0), "-2.");
}

TEST(NumberCount, RunsOfNumberCharacters) {
  struct Case {
    std::string_view line;
    std::int32_t want;
  };
  const Case cases[] = {
      {"1 2 3", 3},     {"\t1\t2", 2},       {"1.5e-3  -2", 2},   {"1 2 ! note", 2},  {"1 2 # x", 2},
      {"1 2 x", -2},    {"+1", 0},           {"1,,3", 3},         {"1, ,3", 3},       {"1,2,", 2},
      {"1,2,,", 3},     {",,5", 2},          {"1, 2", 2},         {"1,2", 2},         {"", 0},
      {"     ", 0},     {"1-2 -- e .", 4},   {"!1 2", 0},         {"1 2 3 /", -3},    {"1e5E", 1},
      {",", 0},         {"1 ,, 2", 3},       {"'1'", 0},          {"1 2\r", -2},
      // Lines longer than sixteen characters: a number across the sixteenth,
      // a comma, a mark or another character after it.
      {"1234567890123456789 5", 2}, {"0.25 0.5 0.75 1.0 1.25 1.5,,2", 8}, {"1 2 3 4 5 6 7 8 9 x", -9},
      {"1 2 3 4 5 6 7 8 9 10 ! 11", 10}, {"5                    ", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(lib::NUMBEROFNUMBERS(c.line), c.want) << "[" << c.line << "]";
}

// The count as the rule states it, one character at a time: the oracle for
// random lines of the characters that matter.
std::int32_t counted_one_by_one(std::string_view line) {
  std::size_t n = line.size();
  while (n > 0 && line[n - 1] == ' ') --n;
  std::int32_t count = 0;
  bool in_number = false, after_comma = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = line[i];
    if ((c >= '0' && c <= '9') || c == 'e' || c == 'E' || c == '-' || c == '.') {
      if (!in_number) {
        ++count;
        in_number = true;
        after_comma = false;
      }
    } else if (c == '!' || c == '#') {
      return count;
    } else if (c == ' ' || c == '\t') {
      in_number = false;
    } else if (c == ',') {
      if (!in_number && after_comma) ++count;
      in_number = false;
      after_comma = true;
    } else {
      return -count;
    }
  }
  return count;
}

TEST(NumberCount, RandomLinesAgreeWithTheRule) {
  std::mt19937 rng(5);
  // Mostly numbers and blanks, as data lines are; now and then the others.
  const std::string common = "0123456789.- \t  ";
  const std::string rare = "eE,!#x+";
  for (int i = 0; i < 20000; ++i) {
    std::string line(rng() % 80, ' ');
    for (char& c : line) c = rng() % 40 == 0 ? rare[rng() % rare.size()] : common[rng() % common.size()];
    ASSERT_EQ(lib::NUMBEROFNUMBERS(line), counted_one_by_one(line)) << "[" << line << "]";
  }
}

TEST(IntegerCheck, FirstFreeFormValue) {
  struct Case {
    std::string_view str;
    bool ok;
    std::int32_t want;  // IVAL afterwards; it starts as -99
  };
  const Case cases[] = {
      {"12", true, 12},      {"  -7 8", true, -7}, {"12 abc", true, 12}, {",5", true, -99},
      {"/", true, -99},      {"abc", false, -99},  {"", false, -99},     {"     ", false, -99},
      {"12.5", false, -99},  {"2147483648", false, -99}, {"3*4", true, 4}, {"+0", true, 0},
  };
  for (const auto& c : cases) {
    std::int32_t v = -99;
    EXPECT_EQ(lib::CHECKINT4(c.str, v), c.ok) << "[" << c.str << "]";
    EXPECT_EQ(v, c.want) << "[" << c.str << "]";
    std::int32_t w = -99;
    EXPECT_EQ(lib::CHECKINT(c.str, w), c.ok) << "[" << c.str << "]";
    EXPECT_EQ(w, c.want) << "[" << c.str << "]";
  }
  std::int64_t big = 0;
  EXPECT_TRUE(lib::CHECKINT8("2147483648", big));
  EXPECT_EQ(big, 2147483648LL);
  EXPECT_FALSE(lib::CHECKINT8("9223372036854775808", big));
  EXPECT_EQ(big, 2147483648LL);
}

TEST(SubstringCount, PiecesBetweenSeparators) {
  struct Case {
    std::string_view str;
    std::size_t cap;
    std::string_view sep;
    std::int32_t want;
  };
  const Case cases[] = {
      {"a,b,c", 10, ",", 3}, {"a,,c", 10, ",", 3}, {"a,b,", 10, ",", 3}, {"abc", 10, ",", 1},
      // The blanks up to the capacity are searched too.
      {"a b", 10, " ", 9},   {"a b", 3, " ", 2},   {"a, b", 10, ", ", 2},
      // Each search starts one character after the previous match began.
      {"aaa", 3, "aa", 3},   {"abc", 10, "", 1},   {"", 5, ",", 0},
  };
  for (const auto& c : cases) {
    lib::FText t(c.cap, c.str);
    EXPECT_EQ(lib::NUMBEROFSUBSTRINGS(t, c.sep), c.want) << "[" << c.str << "] cap " << c.cap << " sep [" << c.sep << "]";
  }
}

TEST(SubstringCount, DeletesTabsInPlace) {
  lib::FText t(8, "a\t,b");
  EXPECT_EQ(lib::NUMBEROFSUBSTRINGS(t, ","), 2);
  EXPECT_EQ(t.view(), "a,b     ");
  lib::FText u(8, " \t \t\t ");
  EXPECT_EQ(lib::NUMBEROFSUBSTRINGS(u, ","), 0);
  EXPECT_EQ(u.view(), "        ");
  lib::FText v(9, "\tx\t\ty\t z");
  EXPECT_EQ(lib::NUMBEROFSUBSTRINGS(v, "y"), 2);
  EXPECT_EQ(v.view(), "xy z     ");
}

TEST(SubstringPiece, NthPieceTrimmed) {
  struct Case {
    std::string_view str, sep;
    std::int32_t n;
    std::string_view want;
  };
  const Case cases[] = {
      {"a, b ,c", ",", 2, "b"}, {"a,,c", ",", 2, ""},  {"a,b,", ",", 3, ""},     {"abc", ",", 1, "abc"},
      {"a,b", ",", 3, ""},      {"a,b", ",", 0, ""},   {"a,b", ",", -1, ""},     {"a,b", ",", 1, "a"},
      {" x ,y  ", ",", 1, "x"}, {" x ,y  ", ",", 2, "y"}, {"a\t,b", ",", 1, "a\t"}, {"a,b,c", ",", 3, "c"},
      {"a;b", ",", 1, "a;b"},   {"", ",", 1, ""},
      // An empty separator ends every piece where it starts, at once.
      {"a,b", "", 1, ""},       {"a,b", "", 2, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(lib::SUBSTRING(c.str, c.sep, c.n), c.want) << "[" << c.str << "] " << c.n;
}

}  // namespace

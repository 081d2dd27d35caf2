#include <gtest/gtest.h>

#include <bit>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "library/ffmt.h"

namespace {

// What a reader gives for n reals, read in one call or one by one, and then
// for an integer, a string and two reals read after them: the reader must
// be left in the same state too.  `before` plain reads come first.
struct Outcome {
  int status;
  std::vector<std::uint32_t> bits;
  bool value_read, slash;
  std::vector<std::string> after;

  bool operator==(const Outcome&) const = default;
};

Outcome read_reals(std::string_view text, std::size_t before, std::size_t n, bool batch, bool alone = false) {
  // Digits next to the text in memory (a token before it) must not join its
  // first or last token.  Alone: the text is all of its allocation, for the
  // sanitizer build to see any byte read outside it.
  const std::string memory = "9 123456" + std::string(text) + "12345678";
  const std::unique_ptr<char[]> own(new char[text.size()]);
  std::copy(text.begin(), text.end(), own.get());
  ffmt::ListReader r(alone ? std::string_view(own.get(), text.size())
                           : std::string_view(memory).substr(8, text.size()));
  Outcome o;
  float x = -7.0f;
  for (std::size_t i = 0; i < before; ++i) r.read(x);
  std::vector<float> v(n + 1, -9.0f);
  if (batch) {
    o.status = r.read(v.data(), n);
  } else {
    o.status = ffmt::kOk;
    for (std::size_t i = 0; i < n && o.status == ffmt::kOk; ++i) o.status = r.read(v[i]);
  }
  for (const float f : v) o.bits.push_back(std::bit_cast<std::uint32_t>(f));
  o.value_read = r.value_read();
  o.slash = r.ended_by_slash();
  std::int32_t i = -5;
  std::string s = "-";
  float a = -3.0f, b = -4.0f;
  const int si = r.read(i), ss = r.read(s), sa = r.read(a), sb = r.read(b);
  o.after = {std::to_string(si) + ":" + std::to_string(i), std::to_string(ss) + ":" + s,
             std::to_string(sa) + ":" + std::to_string(std::bit_cast<std::uint32_t>(a)),
             std::to_string(sb) + ":" + std::to_string(std::bit_cast<std::uint32_t>(b)),
             std::to_string(r.value_read())};
  return o;
}

// Every count of items (or every step-th) from none to a few past the
// tokens, after 0 to 2 reads one by one.
void expect_same(std::string_view text, std::size_t step = 1) {
  const std::size_t most = text.size() / 2 + 3;
  for (std::size_t before = 0; before <= 2; ++before) {
    for (std::size_t n = 0; n <= most; n += step)
      ASSERT_EQ(read_reals(text, before, n, true), read_reals(text, before, n, false))
          << "[" << text << "] before " << before << " n " << n;
    ASSERT_EQ(read_reals(text, before, most, true, true), read_reals(text, before, most, false))
        << "[" << text << "] before " << before << " alone";
  }
}

std::string blanks(std::mt19937& rng, int least) {
  std::string s(std::uniform_int_distribution<int>(least, 3)(rng), ' ');
  for (char& c : s)
    if (rng() % 5 == 0) c = '\t';
  return s;
}

// [sign] digits [. digits] of 1 to `longest` characters.
std::string plain(std::mt19937& rng, int longest) {
  std::string t;
  const int len = std::uniform_int_distribution<int>(1, longest)(rng);
  if (len > 1 && rng() % 6 == 0) t += rng() % 2 ? '-' : '+';
  const int point = rng() % 4 ? std::uniform_int_distribution<int>(0, len)(rng) : -1;
  while (static_cast<int>(t.size()) < len) t += static_cast<int>(t.size()) == point ? '.' : char('0' + rng() % 10);
  return t == "-" || t == "+" || t == "." ? "0" : t;
}

std::string line(std::mt19937& rng, int tokens, int longest) {
  std::string s = blanks(rng, 0);
  for (int i = 0; i < tokens; ++i) s += plain(rng, longest) + blanks(rng, 1);
  return s;
}

TEST(ReadReals, RandomLinesOfPlainDecimals) {
  std::mt19937 rng(11);
  for (const int longest : {3, 7, 8, 9, 12})
    for (int k = 0; k < 60; ++k) expect_same(line(rng, 1 + k % 25, longest));
}

// Lines of thousands of characters are scanned in several rounds.
TEST(ReadReals, LongLines) {
  std::mt19937 rng(14);
  for (const int tokens : {150, 400, 1200}) {
    const std::string s = line(rng, tokens, 7);
    expect_same(s, 13);
    expect_same(s + "x", 97);
  }
}

// Tokens and separators that the plain reading does not take, at every
// position of a line.
TEST(ReadReals, OddTokensAtEveryPosition) {
  const char* const odd[] = {
      ",",        ", ,",       ",,",         "/",          "5/",         "3*1.5",      "2*",
      "2*7",      "'ab'",      "\"x y\"",    "1e3",        "1+3",        "2.5d-1",     "NaN",
      "-inf",     "-",         "+",          ".",          "+.5",        "-.",         "1.",
      "-0",       "-0.000",    "1.2.3",      "1-",         "--1",        "+-1",        "x",
      "1,",       ",5",        "1 ,2",       "12345678",   "1234.5678",  "-1234567",   "0.1234567",
      "99999999", "123456789", "1.2345678",  "000000001",  "16777217",   "4e40",       "1e-50",
      "12345678901234567890123456789012345678901234", "9.9999999999999999"};
  std::mt19937 rng(12);
  for (const char* t : odd)
    for (int at = 0; at <= 10; ++at) {
      std::string s = blanks(rng, 0);
      for (int i = 0; i <= 10; ++i) s += (i == at ? std::string(t) : plain(rng, 7)) + blanks(rng, 1);
      expect_same(s);
    }
}

// Texts of every length to 200 (a token may be cut at the end), so that
// tokens meet the 64-byte steps of the scan and the ends of the text in
// every way.
TEST(ReadReals, TextLengthsAroundTheScanSteps) {
  std::mt19937 rng(13);
  for (std::size_t len = 0; len <= 200; ++len)
    for (const int longest : {1, 5, 8}) {
      std::string s = line(rng, 120, longest);
      s.resize(len, ' ');
      expect_same(s);
    }
}

// Readers of records and a text that starts inside a repeat or after a
// slash read one by one; the values are those of the single reads.
TEST(ReadReals, OtherReadsGoItemByItem) {
  for (const char* t : {"2*3.5 1.5 2.5", "1 2 / 3 4", "1,2,3 4 5 6 7 8 9 10 11", "  -0.000  +.5  7.  "})
    expect_same(t);
  std::vector<std::string> records = {" 1.5  2.5", "", "3.5 4.5"};
  std::size_t next = 1;
  ffmt::ListReader r(records[0], [&](std::string_view& rec) {
    if (next == records.size()) return false;
    rec = records[next++];
    return true;
  });
  float v[5] = {0, 0, 0, 0, -1};
  EXPECT_EQ(r.read(v, 5), ffmt::kEnd);
  EXPECT_EQ(v[0] + v[1] * 10 + v[2] * 100 + v[3] * 1000, 4.5f * 1000 + 350 + 25 + 1.5f);
  EXPECT_EQ(v[4], -1.0f);
}

}  // namespace

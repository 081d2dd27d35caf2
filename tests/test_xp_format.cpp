// The XP interface format rules: the plausibility test and the detection
// order, Julian day counts, and which step blocks the counting accepts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "xp_test_support.h"
#include "xpinterface/binary_input.h"
#include "xpinterface/detection.h"
#include "xpinterface/julian_dates.h"

namespace {

using xptest::Call;
using xptest::Result;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- plausibility ----

struct Plausibility {
  std::int32_t ios, nloc, nconst, startdate;
  double starttime, hdrvalue;
  std::int32_t expected;
};

TEST(XpHeaderOk, BoundsAreRejectionsSoNaNPasses) {
  const Plausibility cases[] = {
      {0, 3, 0, 2000001, 0, 0, 0},
      {0, 100000, 1000, 20000000, 2e10, 0, 0},
      {0, 100001, 0, 0, 0, 0, -1},
      {0, -1, 0, 0, 0, 0, -1},
      {0, 0, 1001, 0, 0, 0, -1},
      {0, 0, -1, 0, 0, 0, -1},
      {0, 0, 0, 20000001, 0, 0, -1},
      {0, 0, 0, -1, 0, 0, -1},
      {0, 0, 0, 0, 5e-11, 0, -1},
      {0, 0, 0, 0, 1e-10, 0, -1},  // below the single-precision 1e-10
      {0, 0, 0, 0, static_cast<double>(1e-10f), 0, 0},
      {0, 0, 0, 0, 2.0000001e10, 0, -1},
      {0, 0, 0, 0, -1, 0, -1},
      {0, 0, 0, 0, kNaN, kNaN, 0},
      {0, 0, 0, 0, 0, -5e-11, -1},
      {0, 0, 0, 0, 0, -1e300, 0},
      {0, 0, 0, 0, 0, 3e30, -1},
      {0, 0, 0, 0, 0, 2e30, 0},  // below the single-precision 2e30
      {0, 0, 0, 0, 0, static_cast<double>(2e30f), 0},
      {5, 3, 0, 2000001, 0, 0, 5},
      {-1, 3, 0, 2000001, 0, 0, -1},
      {2, -5, 0, 0, 0, 0, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(xp::XPHEADEROK(c.ios, c.nloc, c.nconst, c.startdate, c.starttime, c.hdrvalue), c.expected)
        << c.nloc << " " << c.nconst << " " << c.startdate << " " << c.starttime << " " << c.hdrvalue;
}

// ---- detection ----

class XpDetection : public xptest::XpTest {
 protected:
  int detect(const std::string& bytes) {
    xp::BinaryInput in;
    if (!in.open(put("detect.int", bytes))) return -99;
    xp::HeaderFields fields;
    return xp::XPDETECTFORMAT(in, fields);
  }
  static xpgen::File one_step(int type) {
    xpgen::File f;
    f.type = type;
    f.ids = {"N1", "N2"};
    f.steps = {{2000001, 0, 0, {1.5, 2.5}, {}}};
    return f;
  }
};

TEST_F(XpDetection, ATypeTwoHeaderWithBlankTitleStartIsNotTakenForTypeOne) {
  // Trial 1 takes the four blanks as the upper half of a 64-bit start time:
  // a positive value far below 1e-10.
  xpgen::File f = one_step(2);
  f.titles[2] = "    indented title";
  EXPECT_EQ(detect(xpgen::write(f).bytes), 2);
}

TEST_F(XpDetection, AHeaderCutShortOfTrialFiveIsNotRecognised) {
  const std::string bytes = xpgen::write(one_step(5)).bytes;
  EXPECT_EQ(detect(bytes.substr(0, 404)), 5);
  EXPECT_EQ(detect(bytes.substr(0, 403)), -1);
  EXPECT_EQ(detect(""), -1);
}

TEST_F(XpDetection, MarkerWordsThatLookLikeRecordLengthsMakeATypeFiveFileTypeFour) {
  // Before record r + 1 the two marker words hold the lengths of records r
  // and r + 1: records 1 to 6 then frame as a type-4 header.
  xpgen::File f = one_step(5);
  f.marker_words = {80, 80, 80, 80, 8, 8, 80, 80, 80, 80, 32, 32};
  EXPECT_EQ(detect(xpgen::write(f).bytes), 4);
  // The other way round, a type-4 file whose first length word is damaged
  // has a type-5 header: its other length words stand where the markers are.
  const std::string framed = xpgen::write(one_step(4)).bytes;
  EXPECT_EQ(detect(std::string(4, 'x') + framed.substr(4)), 5);
}

TEST_F(XpDetection, TinyHeaderValuesAreZeroInTheProgramsFloatingPointMode) {
  // A single-precision denormal reads as 0, which passes; as itself it would
  // be a value of magnitude below 1e-10.
  xpgen::File f = one_step(2);
  f.source = "XP";
  f.starttime = static_cast<double>(std::numeric_limits<float>::denorm_min());
  f.hdrvalue = -f.starttime;
  EXPECT_EQ(detect(xpgen::write(f).bytes), 2);
  const Result r = read(put("tiny.int", f));
  EXPECT_EQ(r.nsteps, 1);
  EXPECT_EQ(r.flows, (std::vector<std::vector<float>>{{1.5f}, {2.5f}})) << "one ID and one flow per record";
}

// ---- Julian dates ----

// The leap rule as the format defines it, with single-precision remainders.
bool leap_by_definition(std::int64_t y) {
  const float f = static_cast<float>(y);
  return std::fmod(f, 4.0f) <= 0 && (y < 100 || std::fmod(f, 100.0f) != 0 || std::fmod(f, 400.0f) == 0);
}
// XPLEAP agrees with the definition for every year a 32-bit date can hold
// (LeapYears), so the sums below may use it.
std::int64_t year_length(std::int64_t y) { return xp::XPLEAP(static_cast<std::int32_t>(y)) ? 366 : 365; }

std::int64_t day_difference_by_years(std::int32_t from, std::int32_t to) {
  const std::int64_t y1 = from / 1000, d1 = from - 1000 * y1, y2 = to / 1000, d2 = to - 1000 * y2;
  std::int64_t days = d2 - d1;
  for (std::int64_t y = std::min(y1, y2); y < std::max(y1, y2); ++y) days += (y1 < y2 ? 1 : -1) * year_length(y);
  return days;
}

std::int64_t julian_days_by_years(std::int32_t j) {
  const std::int64_t y = j / 1000;
  std::int64_t days = j - 1000 * y;
  for (std::int64_t t = 1; t < y; ++t) days += year_length(t);
  return days;
}

TEST(XpJulianDates, LeapYears) {
  const std::pair<std::int32_t, bool> cases[] = {{1900, false}, {2000, true}, {1996, true}, {96, true}, {100, false},
                                                 {-3, true},    {0, true},    {1, false},   {2100, false}};
  for (const auto& [y, leap] : cases) EXPECT_EQ(xp::XPLEAP(y), leap) << y;
  for (std::int32_t y = -2147483; y <= 2147483; ++y) ASSERT_EQ(xp::XPLEAP(y), leap_by_definition(y)) << y;
}

TEST(XpJulianDates, ClosedFormsEqualTheYearByYearSums) {
  EXPECT_EQ(xp::day_difference(1999365, 2000001), 1);
  EXPECT_EQ(xp::day_difference(2000059, 2001059), 366);
  EXPECT_EQ(xp::day_difference(1900059, 1901059), 365);
  EXPECT_EQ(xp::day_difference(2001059, 2000059), -366);
  EXPECT_EQ(xp::day_difference(365, 1001), 2) << "year 0 counts 366 days here";
  EXPECT_EQ(xp::XPJULIANDAYS(1001) - xp::XPJULIANDAYS(365), -364) << "but adds nothing for years up to 1";
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  std::vector<std::int32_t> dates = {kMin, kMin + 1, -1001, -1, 0, 1, 999, 1000, 99365, 100001, 400001, 2000060, kMax};
  std::mt19937 rng(12345);
  std::uniform_int_distribution<std::int32_t> any(-3000000, 3000000), near(1800000, 2200000);
  for (int i = 0; i < 40; ++i) dates.push_back(i % 2 ? any(rng) : near(rng));
  for (const std::int32_t a : dates) {
    EXPECT_EQ(xp::XPJULIANDAYS(a), julian_days_by_years(a)) << a;
    for (const std::int32_t b : {dates[5], dates[11], dates[20]})
      EXPECT_EQ(xp::day_difference(a, b), day_difference_by_years(a, b)) << a << " " << b;
  }
  EXPECT_EQ(xp::day_difference(kMin, kMax), day_difference_by_years(kMin, kMax));
  EXPECT_EQ(xp::day_difference(kMax, kMin), day_difference_by_years(kMax, kMin));
}

TEST(XpJulianDates, ElapsedSecondsAndCalendarDates) {
  EXPECT_EQ(xp::XPELAPSED(1999365, 86100.0f, 2000001, 300.0f), 600.0f);
  struct Split {
    std::int32_t jday;
    double sec;
    xp::CalendarTime expected;
  };
  const Split cases[] = {
      {2000060, 45296, {2000, 2, 29, 12, 34, 56}}, {1999060, 0, {1999, 3, 1, 0, 0, 0}},
      {2000060, 86399.999, {2000, 2, 29, 24, 0, 0}}, {1999365, 3599.5, {1999, 12, 31, 0, 59, 59}},
      {95123, 0, {1995, 5, 3, 0, 0, 0}},            {2001000, 0, {2001, 1, 0, 0, 0, 0}},
      {2001400, 0, {2001, 7, 7, 0, 0, 0}},          {2000366, 60, {2000, 12, 31, 0, 1, 0}},
  };
  for (const auto& c : cases) {
    xp::CalendarTime t{0, 7, 7, 0, 0, 0};  // a day beyond the year leaves month and day as they were
    xp::XPJULIANSPLIT(c.jday, c.sec, t);
    EXPECT_EQ(std::vector<std::int32_t>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
              std::vector<std::int32_t>({c.expected.year, c.expected.month, c.expected.day, c.expected.hour,
                                         c.expected.minute, c.expected.second}))
        << c.jday << " " << c.sec;
  }
}

// ---- counting ----

struct Block {
  std::int32_t jday;
  double sec;
  int day = 0;  // days after the first block's day
};
struct Counting {
  const char* name;
  std::vector<Block> blocks;
  std::int32_t steps;
};

std::vector<Block> sequence(int n) {
  std::vector<Block> b;
  for (int k = 0; k < n; ++k) b.push_back({2000001, 600.0 * k});
  return b;
}
template <class F>
std::vector<Block> changed(std::vector<Block> b, F&& f) {
  f(b);
  return b;
}

class XpCounting : public xptest::XpTest, public ::testing::WithParamInterface<int> {};

TEST_P(XpCounting, BlocksUpToTheLastAcceptedOneAreCounted) {
  const Counting cases[] = {
      {"in_sequence", sequence(10), 10},
      {"one_jump_then_back_in_sequence", changed(sequence(10), [](auto& b) { b[5].sec += 1e7; }), 10},
      {"two_jumps_at_the_end", changed(sequence(10), [](auto& b) { b[8].sec = b[9].sec = 3e7; }), 8},
      {"no_block", {}, 0},
      {"just_within", {{2000001, 0}, {2000001, 9999999}}, 2},
      {"just_too_far", {{2000001, 0}, {2000001, 1e7}}, 1},
      {"just_too_far_back", {{2000001, 1e7}, {2000001, 0}}, 1},
      {"across_the_year_end", {{1999365, 86100}, {2000001, 300, 1}}, 2},
      {"a_leap_year_apart", {{2000059, 0}, {2001059, 0}}, 1},
      // 9999999.75 s is 1e7 s in single precision.
      {"same_time_in_single_precision", {{2000001, 0}, {2000001, 9999999.75}}, 1},
  };
  for (const Counting& c : cases) {
    xpgen::File f;
    f.type = GetParam();
    f.source = GetParam() % 2 ? "rafts" : "SWMM";  // one-record and per-location blocks
    f.ids = {"A"};
    for (const Block& b : c.blocks) f.steps.push_back({b.jday, b.sec, 0, {b.sec}, {}});
    const Result r = read(put("count.int", f));
    EXPECT_EQ(r.nsteps, c.steps) << c.name;
    EXPECT_EQ(r.names, std::vector<std::string>{"A               "}) << c.name;
    if (r.nsteps < 1) continue;
    // Each counted block is stored with its own time, a rejected one too.
    for (std::size_t k = 0; k < static_cast<std::size_t>(r.nsteps); ++k) {
      const Block& b = c.blocks[k];
      EXPECT_EQ(r.times[k], static_cast<float>(b.day * 86400.0 + b.sec) / 3600.0f) << c.name << " " << k;
      EXPECT_EQ(r.flows[0][k], static_cast<float>(b.sec)) << c.name << " " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Types, XpCounting, ::testing::Values(1, 2, 3, 4, 5));

}  // namespace

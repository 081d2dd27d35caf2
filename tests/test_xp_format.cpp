// The XP interface format rules: the plausibility test and the detection
// order, Julian day counts and dates, and which step blocks are counted and at
// what times they are stored.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "xp_test_support.h"
#include "xpinterface/julian_dates.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(XpHeaderOk, BoundsAreRejectionsSoNaNPasses) {
  struct Case {
    std::int32_t ios, nloc, nconst, startdate;
    double starttime, hdrvalue;
    std::int32_t expected;
  };
  const Case cases[] = {
      {0, 3, 0, 2000001, 0, 0, 0},         {0, 100000, 1000, 20000000, 2e10, 0, 0},
      {0, 100001, 0, 0, 0, 0, -1},         {0, -1, 0, 0, 0, 0, -1},
      {0, 0, 1001, 0, 0, 0, -1},           {0, 0, -1, 0, 0, 0, -1},
      {0, 0, 0, 20000001, 0, 0, -1},       {0, 0, 0, -1, 0, 0, -1},
      {0, 0, 0, 0, 5e-11, 0, -1},          {0, 0, 0, 0, 1e-10, 0, -1},  // below the single-precision 1e-10
      {0, 0, 0, 0, double{1e-10f}, 0, 0},  {0, 0, 0, 0, 2.0000001e10, 0, -1},
      {0, 0, 0, 0, -1, 0, -1},             {0, 0, 0, 0, kNaN, kNaN, 0},
      {0, 0, 0, 0, 0, -5e-11, -1},         {0, 0, 0, 0, 0, -1e300, 0},
      {0, 0, 0, 0, 0, 3e30, -1},           {0, 0, 0, 0, 0, 2e30, 0},  // below the single-precision 2e30
      {5, 3, 0, 2000001, 0, 0, 5},         {-1, 3, 0, 2000001, 0, 0, -1},
      {2, -5, 0, 0, 0, 0, 2},
  };
  for (const Case& c : cases)
    EXPECT_EQ(xp::XPHEADEROK(c.ios, c.nloc, c.nconst, c.startdate, c.starttime, c.hdrvalue), c.expected)
        << c.nloc << " " << c.nconst << " " << c.startdate << " " << c.starttime << " " << c.hdrvalue;
}

xpgen::File one_step(int type) {
  xpgen::File f;
  f.type = type;
  f.ids = {"N1", "N2"};
  f.steps = {{2000001, 0, 0, {1.5, 2.5}, {}}};
  return f;
}

using XpDetection = xptest::XpTest;

TEST_F(XpDetection, TrialOrderCases) {
  // Trial 1 takes four leading blanks of a type-2 TITLE3 as the upper half of
  // a 64-bit start time: a positive value far below 1e-10.
  xpgen::File f = one_step(2);
  f.titles[2] = "    indented title";
  EXPECT_EQ(detect(xpgen::write(f).bytes), 2);
  // Trial 5 needs 404 bytes.
  const std::string t5 = xpgen::write(one_step(5)).bytes;
  EXPECT_EQ(detect(t5.substr(0, 404)), 5);
  EXPECT_EQ(detect(t5.substr(0, 403)), -1);
  // Marker words holding the lengths of the records before and after them
  // frame a type-5 header as a type-4 one ...
  f = one_step(5);
  f.marker_words = {80, 80, 80, 80, 8, 8, 80, 80, 80, 80, 32, 32};
  EXPECT_EQ(detect(xpgen::write(f).bytes), 4);
  // ... and a type-4 file whose first length word is damaged has a type-5
  // header: its other length words stand where type 5 has markers.
  EXPECT_EQ(detect("xxxx" + xpgen::write(one_step(4)).bytes.substr(4)), 5);
}

TEST_F(XpDetection, TinyHeaderValuesAreZeroInTheProgramsFloatingPointMode) {
  // A single-precision denormal reads as 0, which passes; as itself it
  // would be a value of magnitude below 1e-10.
  xpgen::File f = one_step(2);
  f.source = "XP";
  f.starttime = static_cast<double>(std::numeric_limits<float>::denorm_min());
  f.hdrvalue = -f.starttime;
  EXPECT_EQ(detect(xpgen::write(f).bytes), 2);
  EXPECT_EQ(read(put("tiny.int", f)).flows, (std::vector<std::vector<float>>{{1.5f}, {2.5f}}));
}

// ---- Julian dates ----

TEST(XpJulianDates, LeapYearsAndElapsedSeconds) {
  // Every year up to 0 is a leap year, years 1 to 99 divisible by 4 are.
  EXPECT_FALSE(xp::XPLEAP(1900) || xp::XPLEAP(100) || xp::XPLEAP(1) || xp::XPLEAP(2100));
  EXPECT_TRUE(xp::XPLEAP(2000) && xp::XPLEAP(1996) && xp::XPLEAP(96) && xp::XPLEAP(0) && xp::XPLEAP(-3));
  EXPECT_EQ(xp::XPELAPSED(1999365, 86100.0f, 2000001, 300.0f), 600.0f);
  EXPECT_EQ(xp::XPELAPSED(2000001, 0.0f, 2000001, 9999999.75f), 1e7f) << "single precision";
}

TEST(XpJulianDates, ClosedFormsEqualTheYearByYearSums) {
  // The sums of year lengths written out with XPLEAP, year by year over the
  // whole range of years a date can hold.
  const auto years = [](std::int64_t from, std::int64_t to) {
    std::int64_t days = 0;
    for (std::int64_t y = from; y < to; ++y) days += xp::XPLEAP(static_cast<std::int32_t>(y)) ? 366 : 365;
    return days;
  };
  const auto difference = [&](std::int32_t a, std::int32_t b) {
    const std::int64_t ya = a / 1000, yb = b / 1000;
    return (b - 1000 * yb) - (a - 1000 * ya) + (ya < yb ? years(ya, yb) : -years(yb, ya));
  };
  const auto day_number = [&](std::int32_t j) { return j - 1000 * (j / 1000) + years(1, j / 1000); };
  EXPECT_EQ(xp::day_difference(1999365, 2000001), 1);
  EXPECT_EQ(xp::day_difference(2000059, 2001059), 366);
  EXPECT_EQ(xp::day_difference(1900059, 1901059), 365);
  EXPECT_EQ(xp::day_difference(365, 1001), 2) << "year 0 counts here";
  EXPECT_EQ(xp::XPJULIANDAYS(1001) - xp::XPJULIANDAYS(365), -364) << "day numbers add nothing for years up to 1";
  std::vector<std::int32_t> dates = {kMin, -1001, -1, 0, 1, 999, 1000, 99365, 100001, 400001, 2000060, kMax};
  std::mt19937 rng(12345);
  std::uniform_int_distribution<std::int32_t> any(-3000000, 3000000);
  for (int i = 0; i < 40; ++i) dates.push_back(any(rng));
  for (const std::int32_t a : dates) {
    EXPECT_EQ(xp::XPJULIANDAYS(a), day_number(a)) << a;
    for (const std::int32_t b : {dates[4], dates[10], dates[20], a == kMin ? kMax : kMin})
      EXPECT_EQ(xp::day_difference(a, b), difference(a, b)) << a << " " << b;
  }
}

// The fields XPJULIANSPLIT gives, month and day of `t` kept beyond the year.
using Fields = std::array<std::int32_t, 6>;
Fields split(std::int32_t jday, double sec, xp::CalendarTime t = {}) {
  xp::XPJULIANSPLIT(jday, sec, t);
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

TEST(XpJulianDates, SplitGivesBackTheDateOfEveryDayCount) {
  // Every day of 1800 to 2200 by the standard calendar (1901 to 1999 also as
  // two-digit years), at a second that walks through the day and at its last.
  using namespace std::chrono;
  for (sys_days d = 1800y / 1 / 1; d <= 2200y / 12 / 31; d += days{1}) {
    const year_month_day ymd(d);
    const int y = int(ymd.year()), n = (d - sys_days(1800y / 1 / 1)).count(),
              doy = (d - sys_days(ymd.year() / 1 / 1)).count() + 1;
    ASSERT_EQ(xp::XPJULIANDAYS(1000 * y + doy) - xp::XPJULIANDAYS(1800001), n) << y << " " << doy;
    for (const int s : {n * 7 % 86400, 86399})
      for (const int yy : {y, y > 1900 && y < 2000 ? y - 1900 : y})
        ASSERT_EQ(split(1000 * yy + doy, s), (Fields{y, int(unsigned(ymd.month())), int(unsigned(ymd.day())),
                                                     s / 3600, s / 60 % 60, s % 60})) << yy << " " << doy << " " << s;
  }
}

TEST(XpJulianDates, SplitRoundsTheClockAndLeavesDaysBeyondTheYear) {
  const struct { std::int32_t jday; double sec; Fields want; } cases[] = {
      {2000060, 45296, {2000, 2, 29, 12, 34, 56}}, {2000060, 86399.999, {2000, 2, 29, 24, 0, 0}},
      {1999365, 3599.5, {1999, 12, 31, 0, 59, 59}}, {95123, 0, {1995, 5, 3, 0, 0, 0}},
      {2000000, 0, {2000, 1, 0, 0, 0, 0}}, {1999366, 0, {1999, 8, 9, 0, 0, 0}}, {2000400, 0, {2000, 8, 9, 0, 0, 0}},
      {60, 0, {1900, 2, 29, 0, 0, 0}},                    // the length of year 0, not of 1900
      {2000001, 268441300, {2000, 1, 1, 74567, 1, 24}},  // 74567 x 3600 s in single precision: 268441216
  };
  for (const auto& c : cases) EXPECT_EQ(split(c.jday, c.sec, {0, 8, 9, 0, 0, 0}), c.want) << c.jday << " " << c.sec;
}

// ---- counting ----

struct Block {
  std::int32_t jday;
  double sec;
  int day = 0;  // days after the first block's day
};

// Blocks 10 minutes apart on one day, the blocks `changed` replaced.
std::vector<Block> sequence(int n, std::vector<std::pair<int, Block>> changed = {}) {
  std::vector<Block> b;
  for (int k = 0; k < n; ++k) b.push_back({2000001, 600.0 * k});
  for (const auto& [k, block] : changed) b[static_cast<std::size_t>(k)] = block;
  return b;
}

class XpCounting : public xptest::XpTest, public ::testing::WithParamInterface<int> {};

// The rows are read in turn: a row that gives up the one-record layout is
// followed by rows in that layout, so nothing carries over between files.
TEST_P(XpCounting, BlocksUpToTheLastAcceptedOneAreCountedAndStoredWithTheirOwnTimes) {
  const std::vector<Block> beyond_layout_a = {{100000000, 0}, {100000000, 600}, {100000000, 1200}, {100000000, 1800}};
  const struct {
    const char* name;
    std::vector<Block> blocks;
    std::int32_t steps;
    double hdrvalue = 0;
  } cases[] = {
      {"in_sequence", sequence(10), 10},
      {"one_jump_then_back_in_sequence", sequence(10, {{5, {2000001, 3000 + 1e7}}}), 10},
      {"two_jumps_at_the_end", sequence(10, {{8, {2000001, 3e7}}, {9, {2000001, 3e7}}}), 8},
      // Year 2147483, day 647: also gives up the one-record layout.
      {"wild_date_then_back_in_sequence", sequence(10, {{5, {kMax, 3000, 783622221}}}), 10},
      {"no_block", {}, 0},
      {"just_within", {{2000001, 0}, {2000001, 9999999}}, 2},
      {"just_too_far", {{2000001, 0}, {2000001, 1e7}}, 1},
      {"just_too_far_back", {{2000001, 1e7}, {2000001, 0}}, 1},
      {"equal_in_single_precision", {{2000001, 0}, {2000001, 9999999.75}}, 1},
      {"a_leap_year_apart", {{2000059, 0}, {2001059, 0}}, 1},
      {"back_to_the_first_days_start", {{2000001, 3600}, {2000001, 0}, {2000002, 0, 1}}, 3},
      {"across_the_year_ends",
       {{1999365, 86100}, {2000001, 300, 1}, {2000100, 0, 100}, {2000200, 0, 200}, {2000300, 0, 300}, {2001001, 0, 367}},
       6},
      // A date of 100000000 gives up the one-record layout after its block,
      // unless the header value is positive.
      {"dated_beyond_layout_a", beyond_layout_a, 4},
      {"dated_beyond_layout_a_positive_header", beyond_layout_a, 4, 2.0},
  };
  for (const auto& c : cases) {
    xpgen::File f;
    f.type = GetParam();
    f.source = GetParam() % 2 ? "rafts" : "SWMM";  // one-record and per-location blocks
    f.hdrvalue = c.hdrvalue;
    f.ids = {"A"};
    for (const Block& b : c.blocks) f.steps.push_back({b.jday, b.sec, 0, {b.sec}, {}});
    const xptest::Result r = read(put("count.int", f));
    EXPECT_EQ(r.nsteps, c.steps) << c.name;
    EXPECT_EQ(r.names, std::vector<std::string>{"A               "}) << c.name;
    for (std::size_t k = 0; k < r.times.size(); ++k) {
      const Block& b = c.blocks[k];
      EXPECT_EQ(r.times[k], static_cast<float>(b.day * 86400.0 + b.sec) / 3600.0f) << c.name << " " << k;
      EXPECT_EQ(r.flows[0][k], static_cast<float>(b.sec)) << c.name << " " << k;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Types, XpCounting, ::testing::Values(1, 2, 3, 4, 5));

}  // namespace

// The peak store and the names of peak tables.
#include "converter/peaks.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "converter/series.h"

#include "library/unit_slots.h"
#include "test_support.h"

namespace {

using conv::PeakStore;
using testing_support::Console;
using testing_support::status_of;

const std::string_view kEnding = " RORB maximum/minimum records allowed.";

// The largest value of every name, whatever its case and quotes: a later
// same-named series' first value counts too; an equal peak keeps the first file.
TEST(PeakStore, AggregationKeepsTheLargestValueOfEveryName) {
  PeakStore p;
  p.start_file(1);
  p.aggregate("Node_A", std::vector<float>{5.0f, 1.0f, 2.0f}, 0, 1, kEnding);
  p.aggregate("Node_B", std::vector<float>{0.5f, 4.0f}, 0, 1, kEnding);
  p.aggregate(" 'node_a'", std::vector<float>{9.0f, 3.0f}, 0, 2, kEnding);
  p.aggregate("NODE_B", std::vector<float>{4.0f}, 0, 3, kEnding);
  ASSERT_EQ(p.NPK(), 2);
  EXPECT_EQ(p.name(0), "Node_A");
  EXPECT_EQ(p.peak(0, 0), 9.0f);
  EXPECT_EQ(p.file(0, 0), 2);
  EXPECT_EQ(p.peak(1, 0), 4.0f);
  EXPECT_EQ(p.file(1, 0), 1);
}

// A whole table at once ends exactly as its series one by one by the plain
// rule: the same peaks bit for bit (a NaN first value stays, NaNs later are
// passed over, an equal value of the other sign of zero does not replace the
// peak) and the same files; a large table too, whose peaks are found on
// every thread.
TEST(PeakStore, ATableAtOnceAsSeriesOneByOne) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const std::vector<std::vector<float>> shapes = {
      {}, {nan, 5.0f}, {1.0f, nan, 3.0f}, {-0.0f, 0.0f}, {0.0f, -0.0f}, {-inf}, {nan, nan},
      {-inf, nan}, {2.0f, 7.0f, 7.0f, -1.0f}, {4.0f}, {-5.0f, -0.0f}, {0.0f},
  };
  for (const std::size_t length : {std::size_t{1}, std::size_t{1000}}) {
    // Every pair of shapes under one name: a new slot, then raised; one
    // name also has a peak from the file before.
    std::vector<conv::Series> table;
    for (const int half : {0, 1})
      for (std::size_t a = 0; a < shapes.size(); ++a)
        for (std::size_t b = 0; b < shapes.size(); ++b) {
          conv::Series& s = table.emplace_back();
          s.name = std::string("N").append(std::to_string(a * shapes.size() + b));
          for (std::size_t k = 0; k < length; ++k)
            for (const float v : shapes[half == 0 ? a : b]) s.q.push_back(k + 1 == length ? v : std::fmin(v, -1e30f));
        }
    PeakStore one, all;
    for (PeakStore* p : {&one, &all}) {
      p->start_file(2);
      p->aggregate("N30", std::vector<float>{0.5f}, 1, 1, kEnding);
    }
    // One by one, the rule itself: a new name takes the first value, and any
    // larger value raises the peak.
    for (const conv::Series& s : table) {
      const std::int32_t names = one.NPK(), k = one.slot(s.name, kEnding);
      float& peak = one.peak(k, 1);
      std::int32_t& file = one.file(k, 1);
      for (std::size_t j = 0; j < s.q.size(); ++j)
        if ((j == 0 && one.NPK() > names) || s.q[j] > peak) {
          peak = s.q[j];
          file = 2;
        }
    }
    all.aggregate_all(table, 1, 2, kEnding);
    ASSERT_EQ(one.NPK(), all.NPK());
    for (std::int32_t k = 0; k < one.NPK(); ++k) {
      EXPECT_EQ(one.name(k), all.name(k));
      EXPECT_EQ(std::bit_cast<std::uint32_t>(one.peak(k, 1)), std::bit_cast<std::uint32_t>(all.peak(k, 1)))
          << one.name(k) << " " << length;
      EXPECT_EQ(one.file(k, 1), all.file(k, 1)) << one.name(k);
    }
  }
}

// Long series, whose largest value is found many values at a time: where the
// largest lies, and which sign of zero comes first, decide as one by one.
TEST(PeakStore, LongSeriesPeakAsOneByOne) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const struct {
    std::vector<std::pair<std::size_t, float>> set;  // in 100 values of -5
    float want;
  } cases[] = {
      {{{14, -0.0f}, {17, 0.0f}}, -0.0f},
      {{{14, 0.0f}, {17, -0.0f}}, 0.0f},
      {{{3, -0.0f}, {98, 0.0f}}, -0.0f},
      {{{99, 7.5f}}, 7.5f},
      {{{34, 3.0f}, {50, nan}, {63, 2.0f}, {64, nan}, {65, 2.0f}}, 3.0f},
      {{{0, -9.0f}, {1, -5.5f}}, -5.0f},
  };
  for (const auto& c : cases) {
    std::vector<float> v(100, -5.0f);
    for (const auto& [at, value] : c.set) v[at] = value;
    v[0] = std::fmin(v[0], -100.0f);  // the first value starts the peak: one below the rest
    PeakStore p;
    p.start_file(1);
    p.aggregate("A", v, 0, 1, kEnding);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(p.peak(0, 0)), std::bit_cast<std::uint32_t>(c.want)) << c.set.front().first;
  }
}

TEST(PeakStore, NamesDifferingInInnerBlanksOrTabsAreDistinctOrEqualAsKeywords) {
  PeakStore p;
  p.start_file(1);
  EXPECT_EQ(p.slot("A B", kEnding), 0);
  EXPECT_EQ(p.slot("AB", kEnding), 1);
  EXPECT_EQ(p.slot("a\tb", kEnding), 1);
  EXPECT_EQ(p.slot("\"a b\"  ", kEnding), 0);
}

TEST(PeakStore, EachFileStartsEmptyWithUnsetPeaks) {
  PeakStore p;
  p.start_file(3);
  p.slot("x", kEnding);
  EXPECT_EQ(p.peak(0, 2), conv::kNoPeak);
  EXPECT_EQ(p.file(0, 2), 0);
  p.start_file(1);
  EXPECT_EQ(p.NPK(), 0);
  EXPECT_EQ(p.slot("y", kEnding), 0);
  EXPECT_EQ(p.peak(0, 0), conv::kNoPeak);
}

TEST(PeakStore, TheNameAfterTheLimitEndsTheRun) {
  Console con("");
  lib::INITUNITS(1000);
  PeakStore p;
  p.start_file(1);
  for (int i = 0; i < 10000; ++i) p.slot(std::string("n").append(std::to_string(i)), kEnding);
  EXPECT_EQ(p.slot("n42", kEnding), 42);
  EXPECT_EQ(status_of([&] { p.slot("one too many", kEnding); }), 1);
  EXPECT_EQ(con.text(),
            "\nERROR - Exceeded maximum number of 10000 RORB maximum/minimum records allowed.\n\nPress Enter to Close\n");
  // Nothing of the refused name was kept: it is refused again, never found.
  EXPECT_EQ(p.NPK(), 10000);
  EXPECT_EQ(status_of([&] { p.slot("ONE TOO MANY", kEnding); }), 1);
}

TEST(PeakStore, TableNames) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Q100.out", "Q100_peak_Q.out.csv"},
      {"Q100_Meta.out", "Q100_Meta_peak_Q.out.csv"},
      {"RESULT.Q", "RESULT_peak_Q.q.csv"},
      {"flows", "flows_peak_Q.csv"},
      {"DATA.OUT", "DATA_peak_Q.out.csv"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(conv::peak_table_name(in), out);
}

}  // namespace

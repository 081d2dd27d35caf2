// The common time axis: increment, row count, report, zero rows and the rows
// of each series.
#include "converter/series.h"

#include <gtest/gtest.h>

#include "library/unit_slots.h"
#include "test_support.h"

namespace {

using conv::Series;
using conv::SeriesTable;
using testing_support::Console;
using testing_support::status_of;

struct Span {
  float t0, t1;  // minutes
  int n;
};

// Series of n values from t0 to t1, values 1, 2, 3, ...
SeriesTable table_of(const std::vector<Span>& spans, std::optional<float> given_dt = {}) {
  SeriesTable t;
  for (const Span& sp : spans) {
    Series& s = t.series.emplace_back();
    s.tstart = sp.t0;
    s.tend = sp.t1;
    for (int i = 1; i <= sp.n; ++i) s.q.push_back(static_cast<float>(i));
  }
  t.given_dt = given_dt;
  t.rows_from_start = given_dt.has_value();  // as the readers that give the increment set it
  return t;
}

conv::RunSettings zero_rows(bool s0, bool e0) {
  conv::RunSettings r;
  r.zero_start = s0;
  r.zero_end = e0;
  return r;
}

// What the rows 1..NMAX show of each series (a digit, '.' for a blank field),
// the series separated by '|'.
std::string shown(const conv::TimeAxis& a, const SeriesTable& t) {
  std::string s;
  for (std::size_t i = 0; i < t.series.size(); ++i) {
    if (i > 0) s += '|';
    for (std::int32_t k = 1; k <= a.NMAX; ++k) {
      const float* v = a.value(t.series[i].q, i, k);
      s += v ? static_cast<char>('0' + static_cast<int>(*v)) : '.';
    }
  }
  return s;
}

TEST(TimeAxis, IncrementRowsAndTheRowsOfEachSeries) {
  struct Case {
    std::vector<Span> series;
    std::optional<float> given_dt;  // the reader's increment, rows from row 1
    bool s0, e0;
    float dt, tmin, tmax;  // dt 0: not checked
    std::int32_t nmax;
    std::vector<std::int32_t> istart, iend;  // not checked when empty
    std::string rows;                        // as shown() gives them; not checked when empty
  };
  const Case cases[] = {
      // 5-minute steps: the span is rounded to whole minutes before dividing.
      {{{0, 10, 3}, {0, 1440, 2}}, {}, false, false, 5, 0, 1440, 289, {}, {}, ""},
      {{{0, 10, 3}, {0, 59.6f, 2}}, {}, false, false, 5, 0, 59.6f, 13, {}, {}, ""},
      {{{0, 10, 3}, {0, 62.4f, 2}}, {}, false, false, 5, 0, 62.4f, 13, {}, {}, ""},
      {{{0, 10, 3}, {0, 10, 2}}, {}, false, false, 5, 0, 10, 3, {1, 1}, {3, 3}, "123|12."},
      // 20-second steps over 33.333 minutes keep their last row.
      {{{0, 100.0f / 3.0f, 101}}, {}, false, false, 0, 0, 100.0f / 3.0f, 101, {1}, {101}, ""},
      // Rows from the series' times: one step after the start, 0.4 steps
      // after it, exactly half a step after it (outside).
      {{{0, 20, 5}, {5, 15, 3}, {2, 12, 3}, {2.5f, 12.5f, 3}}, {}, false, false, 5, 0, 20, 5, {1, 2, 1, 2},
       {5, 4, 3, 3}, "12345|.123.|123..|.12.."},
      // Rows beyond a series' own values (its own step is 10 minutes) are blank.
      {{{0, 20, 5}, {0, 20, 3}}, {}, false, false, 5, 0, 20, 5, {1, 1}, {5, 5}, "12345|123.."},
      // Zero rows at both ends.
      {{{0, 10, 3}}, {}, true, true, 5, -5, 10, 5, {1}, {5}, "01230"},
      // A series without values takes no part in the span and has no rows.
      {{{0, 10, 3}, {-1000, 5000, 0}}, {}, false, false, 5, 0, 10, 3, {1, 1}, {3, 0}, "123|..."},
      // No series: an empty axis, still extended by the zero rows.
      {{}, {}, false, true, 0, 0, 0, 1, {}, {}, ""},
      // A given increment: rows from row 1 to the series' own last value, the
      // zero rows among them; a later series that runs longer adds rows.
      {{{0, 60, 4}, {30, 60, 2}}, 20.0f, false, false, 20, 0, 60, 4, {1, 1}, {4, 2}, "1234|12.."},
      {{{0, 60, 4}, {0, 20, 2}}, 20.0f, true, true, 20, -20, 60, 6, {1, 1}, {6, 4}, "012340|0120.."},
      {{{0, 10, 3}, {0, 19.98f, 5}}, 5.0f, false, false, 5, 0, 19.98f, 5, {1, 1}, {3, 5}, "123..|12345"},
      // 10000000 rows of 10 minutes are allowed.
      {{{0, 20, 3}, {0, 99999990.0f, 2}}, {}, false, false, 10, 0, 99999990.0f, 10000000, {}, {}, ""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    Console con;
    SeriesTable t = table_of(c.series, c.given_dt);
    const conv::TimeAxis a = conv::build_time_axis(t, zero_rows(c.s0, c.e0));
    if (c.dt != 0) { EXPECT_EQ(a.DT, c.dt); }
    EXPECT_EQ(a.TMIN, c.tmin);
    EXPECT_EQ(a.TMAX, c.tmax);
    EXPECT_EQ(a.NMAX, c.nmax);
    if (!c.istart.empty()) { EXPECT_EQ(a.ISTART, c.istart); }
    if (!c.iend.empty()) { EXPECT_EQ(a.IEND, c.iend); }
    if (!c.rows.empty()) { EXPECT_EQ(shown(a, t), c.rows); }
  }
}

// The report shows the axis before the zero rows; the zero rows go into the
// local values too and the row times run on from TMIN.
TEST(TimeAxis, ReportAndZeroRows) {
  Console con;
  SeriesTable t = table_of({{0, 1440, 289}});
  EXPECT_EQ(conv::build_time_axis(t, zero_rows(true, false)).NMAX, 290);
  EXPECT_EQ(con.text(),
            "\nMinimum time:        0.00\nMaximum time:     1440.00\nTime increment:    5.0000\nMax increments:   289\n");

  con.clear();
  SeriesTable none;
  EXPECT_EQ(conv::build_time_axis(none, zero_rows(false, true)).time_of_row(1), 0.0f);
  EXPECT_EQ(con.text(),
            "\nMinimum time:        0.00\nMaximum time:        0.00\nTime increment:    0.0000\nMax increments:     0\n");

  SeriesTable local = table_of({{0, 10, 3}});
  local.has_local = true;
  local.series[0].qloc = {7.0f, 8.0f, 9.0f};
  const conv::TimeAxis b = conv::build_time_axis(local, zero_rows(true, true));
  EXPECT_EQ(local.series[0].qloc, (std::vector<float>{0, 7, 8, 9, 0}));
  EXPECT_EQ(b.time_of_row(1), -5.0f);
  EXPECT_EQ(b.time_of_row(5), 15.0f);
}

TEST(TimeAxis, ZeroStepsGetTimesOneIncrementBeyondTheKeptOnes) {
  Console con;
  SeriesTable t = table_of({{75, 97, 3}, {0, 0, 0}});  // an increment of 11 minutes
  t.keep_times = true;
  t.series[0].hours = {1.25f, 1.4f, 1.55f};
  const conv::TimeAxis a = conv::build_time_axis(t, zero_rows(true, true));
  // binary32(1.25 - binary32(11/60)) and binary32(1.55 + binary32(11/60));
  // in double precision both would differ in their last bit.
  EXPECT_EQ(t.series[0].hours, (std::vector<float>{0x1.11111p+0f, 1.25f, 1.4f, 1.55f, 0x1.bbbbbcp+0f}));
  EXPECT_EQ(t.series[0].q, (std::vector<float>{0, 1, 2, 3, 0}));
  // A series without values gets no zero steps and no rows.
  EXPECT_TRUE(t.series[1].q.empty() && t.series[1].hours.empty());
  EXPECT_EQ(a.IEND[1], 0);
}

// A first series that gives no increment, or an axis of too many rows (a
// span or a row count beyond a 32-bit integer too), ends the run before the
// axis report.
TEST(TimeAxis, UnusableIncrementsAndUnboundedAxesEndTheRun) {
  const std::string too_few = "ERROR - Cannot determine time increment as first time series has less than two values\n";
  const std::string invalid = "\nERROR - Invalid time increment in first time series\n";
  const std::string too_many =
      "\nERROR - Time axis of more than 10000000 rows: check the time increment of the first time series\n";
  const struct {
    std::vector<Span> series;
    std::optional<float> given_dt;
    std::string message;
  } cases[] = {
      {{{0, 0, 1}, {0, 10, 3}}, {}, too_few},
      {{{0, 0, 0}, {0, 10, 3}}, {}, too_few},
      {{{5, 5, 3}, {0, 10, 3}}, {}, invalid},
      {{{10, 0, 3}, {0, 10, 3}}, {}, invalid},
      {{{0, 1e-30f, 3}, {0, 10, 3}}, {}, invalid},
      {{{0, 0.002f, 3}, {0, 200000.0f, 2}}, {}, too_many},   // 0.001-minute steps over 200000 minutes
      {{{0, 20, 3}, {0, 1.0e8f, 2}}, {}, too_many},           // 10000001 rows of 10 minutes
      {{{0, 20, 3}, {0, 2147483648.0f, 2}}, {}, invalid},     // whole minutes beyond a 32-bit integer
      {{{0, 0.002f, 3}, {0, 3.0e6f, 2}}, {}, invalid},        // row count beyond a 32-bit integer
      {{{0, 3.0e9f, 2}}, 1.0e6f, invalid},                    // the same with an increment given
      {{{0, 2.0e7f, 2}}, 1.0f, too_many},
  };
  for (const auto& c : cases) {
    Console con("");
    lib::INITUNITS(1000);
    SeriesTable t = table_of(c.series, c.given_dt);
    EXPECT_EQ(status_of([&] { conv::build_time_axis(t, zero_rows(false, false)); }), 1) << c.message;
    EXPECT_EQ(con.text(), c.message + "\nPress Enter to Close\n");
  }
}

}  // namespace

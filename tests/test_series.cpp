// The common time axis: increment, row count, report, zero rows and the rows
// of each series.
#include "converter/series.h"

#include <gtest/gtest.h>

#include "library/unittables.h"
#include "test_support.h"

namespace {

using conv::InputKind;
using conv::Series;
using conv::SeriesTable;
using testing_support::Console;
using testing_support::status_of;

// A series of n values from t0 to t1 (minutes), values 1, 2, 3, ...
Series series(float t0, float t1, int n) {
  Series s;
  s.tstart = t0;
  s.tend = t1;
  for (int i = 1; i <= n; ++i) s.q.push_back(static_cast<float>(i));
  return s;
}

conv::RunSettings settings(InputKind kind = InputKind::Wbnm) {
  conv::RunSettings r;
  r.input = kind;
  return r;
}

TEST(TimeAxis, IncrementFromTheFirstSeriesRowsFromTheWholeSpan) {
  struct Case {
    float span;
    std::int32_t nmax;
  };
  // 5-minute steps: the span is rounded to whole minutes before dividing.
  const Case cases[] = {{1440.0f, 289}, {59.6f, 13}, {62.4f, 13}, {10.0f, 3}};
  for (const auto& c : cases) {
    Console con;
    SeriesTable t;
    t.series.push_back(series(0.0f, 10.0f, 3));
    t.series.push_back(series(0.0f, c.span, 2));
    const auto a = conv::build_time_axis(t, settings());
    EXPECT_EQ(a.DT, 5.0f);
    EXPECT_EQ(a.NMAX, c.nmax) << c.span;
  }
}

TEST(TimeAxis, ReportShowsTheAxisBeforeTheZeroRows) {
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 1440.0f, 289));
  auto run = settings();
  run.zero_start = true;
  const auto a = conv::build_time_axis(t, run);
  EXPECT_EQ(con.text(),
            "\nMinimum time:        0.00\nMaximum time:     1440.00\nTime increment:    5.0000\nMax increments:   289\n");
  EXPECT_EQ(a.NMAX, 290);
  EXPECT_EQ(a.TMIN, -5.0f);
  EXPECT_EQ(t.series[0].q.front(), 0.0f);
  EXPECT_EQ(t.series[0].nvals(), 290);
}

TEST(TimeAxis, StepsThatAreNotWholeMinutesKeepTheirLastRow) {
  Console con;
  SeriesTable t;
  // 20-second steps: 101 values over 33.333 minutes.
  t.series.push_back(series(0.0f, 100.0f / 3.0f, 101));
  const auto a = conv::build_time_axis(t, settings());
  EXPECT_EQ(a.NMAX, 101);
  EXPECT_EQ(a.IEND[0], 101);
}

TEST(TimeAxis, RowsOfASeriesAreSetByItsTimes) {
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 20.0f, 5));
  t.series.push_back(series(5.0f, 15.0f, 3));   // one step after the start
  t.series.push_back(series(2.0f, 12.0f, 3));   // 0.4 steps after the start
  t.series.push_back(series(2.5f, 12.5f, 3));   // exactly half a step: outside
  const auto a = conv::build_time_axis(t, settings());
  EXPECT_EQ(a.ISTART, (std::vector<std::int32_t>{1, 2, 1, 2}));
  EXPECT_EQ(a.IEND, (std::vector<std::int32_t>{5, 4, 3, 3}));
  // Row k shows step k - ISTART + 1; outside its rows a series is blank.
  EXPECT_EQ(a.value(t.series[1].q, 1, 1), nullptr);
  EXPECT_EQ(*a.value(t.series[1].q, 1, 2), 1.0f);
  EXPECT_EQ(*a.value(t.series[1].q, 1, 4), 3.0f);
  EXPECT_EQ(a.value(t.series[1].q, 1, 5), nullptr);
}

TEST(TimeAxis, RowsBeyondASeriesOwnValuesAreBlank) {
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 20.0f, 5));
  t.series.push_back(series(0.0f, 20.0f, 3));  // its own step is 10 minutes
  const auto a = conv::build_time_axis(t, settings());
  EXPECT_EQ(a.IEND[1], 5);
  EXPECT_NE(a.value(t.series[1].q, 1, 3), nullptr);
  EXPECT_EQ(a.value(t.series[1].q, 1, 4), nullptr);
}

TEST(TimeAxis, ZeroRowsAtBothEnds) {
  Console con;
  SeriesTable t;
  t.has_local = true;
  Series s = series(0.0f, 10.0f, 3);
  s.qloc = {7.0f, 8.0f, 9.0f};
  t.series.push_back(s);
  auto run = settings();
  run.zero_start = run.zero_end = true;
  const auto a = conv::build_time_axis(t, run);
  EXPECT_EQ(a.NMAX, 5);
  EXPECT_EQ(t.series[0].q, (std::vector<float>{0, 1, 2, 3, 0}));
  EXPECT_EQ(t.series[0].qloc, (std::vector<float>{0, 7, 8, 9, 0}));
  EXPECT_EQ(a.time_of_row(1), -5.0f);
  EXPECT_EQ(a.time_of_row(5), 15.0f);
  EXPECT_EQ(a.ISTART[0], 1);
  EXPECT_EQ(a.IEND[0], 5);
}

TEST(TimeAxis, AnEventWithoutSeriesHasAnEmptyAxis) {
  Console con;
  SeriesTable t;
  auto run = settings();
  run.zero_end = true;
  const auto a = conv::build_time_axis(t, run);
  EXPECT_EQ(con.text(),
            "\nMinimum time:        0.00\nMaximum time:        0.00\nTime increment:    0.0000\nMax increments:     0\n");
  EXPECT_EQ(a.NMAX, 1);
  EXPECT_EQ(a.time_of_row(1), 0.0f);
}

TEST(TimeAxis, ASeriesWithoutValuesTakesNoPartInTheSpan) {
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 10.0f, 3));
  Series empty;
  empty.tstart = -1000.0f;  // never read
  empty.tend = 5000.0f;
  t.series.push_back(empty);
  const auto a = conv::build_time_axis(t, settings());
  EXPECT_EQ(a.TMIN, 0.0f);
  EXPECT_EQ(a.TMAX, 10.0f);
  EXPECT_EQ(a.ISTART[1], 1);
  EXPECT_EQ(a.IEND[1], 0);
}

TEST(TimeAxis, RorbAndUrbsRowsRunFromRowOneToTheirOwnLastValue) {
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 60.0f, 4));
  t.series.push_back(series(30.0f, 60.0f, 2));
  t.given_dt = 20.0f;
  t.rows_from_start = true;
  auto run = settings();
  const auto a = conv::build_time_axis(t, run);
  EXPECT_EQ(a.DT, 20.0f);
  EXPECT_EQ(a.NMAX, 4);
  EXPECT_EQ(a.ISTART, (std::vector<std::int32_t>{1, 1}));
  EXPECT_EQ(a.IEND, (std::vector<std::int32_t>{4, 2}));
  EXPECT_EQ(a.value(t.series[1].q, 1, 3), nullptr);  // beyond its two values
  // The zero rows count among a series' own rows.
  run.zero_start = run.zero_end = true;
  SeriesTable z;
  z.series = {series(0.0f, 60.0f, 4), series(0.0f, 20.0f, 2)};
  z.given_dt = 20.0f;
  z.rows_from_start = true;
  EXPECT_EQ(conv::build_time_axis(z, run).IEND, (std::vector<std::int32_t>{6, 4}));
}

TEST(TimeAxis, AGivenIncrementKeepsTheRowsOfALongerLaterSeries) {
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 10.0f, 3));
  t.series.push_back(series(0.0f, 19.98f, 5));
  t.given_dt = 5.0f;
  t.rows_from_start = true;
  const auto a = conv::build_time_axis(t, settings(InputKind::Rorb));
  EXPECT_EQ(a.NMAX, 5);
  EXPECT_EQ(a.IEND, (std::vector<std::int32_t>{3, 5}));
}

TEST(TimeAxis, UnusableFirstSeriesEndsTheRun) {
  struct Case {
    Series first;
    std::string message;
  };
  const Case cases[] = {
      {series(0.0f, 0.0f, 1),
       "ERROR - Cannot determine time increment as first time series has less than two values\n"},
      {series(0.0f, 0.0f, 0),
       "ERROR - Cannot determine time increment as first time series has less than two values\n"},
      {series(5.0f, 5.0f, 3), "\nERROR - Invalid time increment in first time series\n"},
      {series(10.0f, 0.0f, 3), "\nERROR - Invalid time increment in first time series\n"},
      {series(0.0f, 1e-30f, 3), "\nERROR - Invalid time increment in first time series\n"},
  };
  for (const auto& c : cases) {
    Console con("");
    lib::INITUNITS(1000);
    SeriesTable t;
    t.series.push_back(c.first);
    t.series.push_back(series(0.0f, 10.0f, 3));
    EXPECT_EQ(status_of([&] { conv::build_time_axis(t, settings()); }), 1);
    EXPECT_EQ(con.text(), c.message + "\nPress Enter to Close\n");
  }
}

TEST(TimeAxis, ZeroStepsGetTimesOneIncrementBeyondTheKeptOnes) {
  Console con;
  SeriesTable t;
  t.keep_times = true;
  t.series.push_back(series(75.0f, 97.0f, 3));  // an increment of 11 minutes
  t.series[0].hours = {1.25f, 1.4f, 1.55f};
  t.series.push_back(Series{});
  auto run = settings(InputKind::Darno);
  run.zero_start = run.zero_end = true;
  const auto a = conv::build_time_axis(t, run);
  // binary32(1.25 - binary32(11/60)) and binary32(1.55 + binary32(11/60));
  // in double precision both would differ in their last bit.
  EXPECT_EQ(t.series[0].hours, (std::vector<float>{0x1.11111p+0f, 1.25f, 1.4f, 1.55f, 0x1.bbbbbcp+0f}));
  EXPECT_EQ(t.series[0].q, (std::vector<float>{0, 1, 2, 3, 0}));
  // A series without values gets no zero steps and no rows.
  EXPECT_TRUE(t.series[1].q.empty() && t.series[1].hours.empty());
  EXPECT_EQ(a.IEND[1], 0);
}

// An axis is bounded whatever the series span: a huge row count, or a span
// beyond a 32-bit integer, ends the run before the axis report.
TEST(TimeAxis, RowCountIsBounded) {
  struct Case {
    float dt_span, other_end;
    std::string message;
  };
  const std::string too_many =
      "\nERROR - Time axis of more than 10000000 rows: check the time increment of the first time series\n";
  const std::string invalid = "\nERROR - Invalid time increment in first time series\n";
  const Case cases[] = {
      {0.002f, 200000.0f, too_many},      // 0.001-minute steps over 200000 minutes
      {20.0f, 1.0e8f, too_many},          // 10000001 rows of 10 minutes
      {20.0f, 2147483648.0f, invalid},    // whole minutes beyond a 32-bit integer
      {0.002f, 3.0e6f, invalid},          // row count beyond a 32-bit integer
  };
  for (const auto& c : cases) {
    Console con("");
    lib::INITUNITS(1000);
    SeriesTable t;
    t.series.push_back(series(0.0f, c.dt_span, 3));
    t.series.push_back(series(0.0f, c.other_end, 2));
    EXPECT_EQ(status_of([&] { conv::build_time_axis(t, settings()); }), 1) << c.other_end;
    EXPECT_EQ(con.text(), c.message + "\nPress Enter to Close\n") << c.other_end;
  }
  // The same bounds with an increment given by the reader.
  const struct {
    float dt, span;
    std::string message;
  } given[] = {{1.0e6f, 3.0e9f, invalid}, {1.0f, 2.0e7f, too_many}};
  for (const auto& [dt, span, message] : given) {
    Console con("");
    lib::INITUNITS(1000);
    SeriesTable t;
    t.given_dt = dt;
    t.series.push_back(series(0.0f, span, 2));
    EXPECT_EQ(status_of([&] { conv::build_time_axis(t, settings()); }), 1) << dt;
    EXPECT_EQ(con.text(), message + "\nPress Enter to Close\n") << dt;
  }
  Console con;
  SeriesTable t;
  t.series.push_back(series(0.0f, 20.0f, 3));
  t.series.push_back(series(0.0f, 99999990.0f, 2));  // 10000000 rows of 10 minutes are allowed
  EXPECT_EQ(conv::build_time_axis(t, settings()).NMAX, 10000000);
}

}  // namespace

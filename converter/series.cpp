#include "converter/series.h"

#include <cmath>
#include <limits>

#include "converter/failure.h"
#include "converter/parallel.h"
#include "library/ffmt.h"
#include "library/numtext.h"
#include "platform/console.h"

namespace conv {

void resize_series(std::span<Series> series, std::size_t steps, bool keep_times, std::size_t room) {
  // Growing a vector copies its values and touches fresh memory: for many
  // long series that is worth sharing out.
  const auto grow = [&](std::vector<float>& v) {
    if (v.capacity() < steps && room > steps) v.reserve(room);
    v.resize(steps);
  };
  const auto resize = [&](std::size_t i) {
    grow(series[i].q);
    if (keep_times) grow(series[i].hours);
  };
  parallel::for_each(series.size(), {parallel::Kind::values, series.size() * steps * sizeof(float)}, resize);
}

void rows_to_series(std::span<const float> items, std::size_t n, std::size_t skip, std::size_t rows,
                    std::span<Series> series, std::size_t at) {
  for (std::size_t k = 0; k < series.size(); ++k) {
    float* to = series[k].q.data() + at;
    const float* from = items.data() + skip + k;
    for (std::size_t r = 0; r < rows; ++r) to[r] = from[r * n];
  }
}

void times_to_series(std::span<const float> minutes, std::size_t from, std::size_t to, std::span<Series> series,
                     std::size_t at) {
  for (Series& s : series)
    for (std::size_t r = from; r < to; ++r) s.hours[at + r] = minutes[r] / 60.0f;
}

namespace console = platform::console;

namespace {

[[noreturn]] void invalid_increment() { fail("ERROR - Invalid time increment in first time series"); }

// Truncates a row count to an integer, refusing one that does not fit.
std::int32_t row_count(float rows) {
  if (!(rows >= 0.0f) || rows >= 2147483648.0f) invalid_increment();
  return static_cast<std::int32_t>(rows);
}

// First row k in 1..nmax whose time satisfies pred, nmax + 1 when none.
// pred must be false up to some row and true from there on (the row times
// never decrease), so a binary search finds the same row as a scan.
template <class Pred>
std::int32_t first_row(const TimeAxis& axis, std::int32_t nmax, Pred pred) {
  std::int32_t lo = 1, hi = nmax + 1;
  while (lo < hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (pred(axis.time_of_row(mid)))
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

// Rows that the span of all series needs at the increment, so that steps
// that are not whole minutes do not lose their last row.
std::int32_t rows_of_span(const TimeAxis& a) {
  const float span = a.TMAX - a.TMIN;
  // A span of whole minutes beyond a 32-bit integer cannot be measured.
  if (!(std::fabs(std::round(span)) < 2147483648.0f)) invalid_increment();
  const float steps = std::round(span / a.DT);
  return row_count(steps + 1.0f);
}

void report(const TimeAxis& a) {
  std::string text;
  console::empty_line();
  text = "Minimum time:";
  ffmt::put_F(text, 12, 2, a.TMIN);
  console::line(text);
  text = "Maximum time:";
  ffmt::put_F(text, 12, 2, a.TMAX);
  console::line(text);
  text = "Time increment:";
  ffmt::put_F(text, 10, 4, a.DT);
  console::line(text);
  text = "Max increments:";
  ffmt::put_I(text, 6, a.NMAX);
  console::line(text);
}

}  // namespace

TimeAxis build_time_axis(SeriesTable& table, const RunSettings& run) {
  TimeAxis a;
  std::vector<Series>& s = table.series;
  const bool whole_span_rows = table.rows_from_start;

  // Series without values have no times: they take no part in the span.
  bool first = true;
  for (const Series& x : s) {
    if (x.q.empty()) continue;
    if (first) {
      a.TMIN = x.tstart;
      a.TMAX = x.tend;
      first = false;
    } else {
      a.TMIN = std::min(a.TMIN, x.tstart);
      a.TMAX = std::max(a.TMAX, x.tend);
    }
  }

  if (s.empty()) {
    // An event without series: an empty axis, still extended by -s0/-e0.
  } else if (table.given_dt) {
    a.DT = *table.given_dt;
    if (!(std::isfinite(a.DT) && a.DT > 0.0f)) invalid_increment();
    // The rows of the first series, or more when a later series runs longer.
    a.NMAX = std::max(s.front().nvals(), rows_of_span(a));
  } else {
    const Series& one = s.front();
    if (one.nvals() <= 1)
      fail("ERROR - Cannot determine time increment as first time series has less than two values", false);
    const float span1 = one.tend - one.tstart;
    a.DT = span1 / static_cast<float>(one.nvals() - 1);
    if (!(std::isfinite(a.DT) && a.DT > 0.0f)) invalid_increment();
    const float span = a.TMAX - a.TMIN;
    const float r = std::round(span);  // to the nearest whole number, halves away from zero
    const float quotient = r / a.DT;
    a.NMAX = std::max(row_count(quotient + 1.0f), rows_of_span(a));
  }

  // Rows are written for every step of the axis, whatever the series hold: a
  // first series with a tiny increment must not turn a small file into
  // gigabytes of blank rows.
  if (a.NMAX > kMaxRows)
    fail("ERROR - Time axis of more than " + lib::AINTEGER(kMaxRows) +
         " rows: check the time increment of the first time series");
  report(a);

  // The zero steps: a 0.0 before the first and after the last value of every
  // series, in the local values too, and, where the table keeps value times,
  // the first time less one increment and the last time plus one (hours, in
  // single precision).  A series without values has no first or last value:
  // it gets no zero step and stays blank in every layout.
  const float step_hours = a.DT / 60.0f;
  if (run.zero_start) {
    a.TMIN = a.TMIN - a.DT;
    for (Series& x : s) {
      if (x.q.empty()) continue;
      x.q.insert(x.q.begin(), 0.0f);
      if (table.has_local) x.qloc.insert(x.qloc.begin(), 0.0f);
      if (!x.hours.empty()) x.hours.insert(x.hours.begin(), x.hours.front() - step_hours);
      x.tstart = x.tstart - a.DT;
    }
    a.NMAX += 1;
  }
  if (run.zero_end) {
    for (Series& x : s) {
      if (x.q.empty()) continue;
      x.q.push_back(0.0f);
      if (table.has_local) x.qloc.push_back(0.0f);
      if (!x.hours.empty()) x.hours.push_back(x.hours.back() + step_hours);
      x.tend = x.tend + a.DT;
    }
    a.NMAX += 1;
  }

  const std::size_t n = s.size();
  a.ISTART.assign(n, 1);
  a.IEND.assign(n, a.NMAX);
  const float h = 0.5f * a.DT;
  for (std::size_t i = 0; i < n; ++i) {
    const Series& x = s[i];
    if (x.q.empty()) {
      a.ISTART[i] = 1;
      a.IEND[i] = 0;
    } else if (whole_span_rows) {
      // From row 1 to the series' own last value (zero rows included).
      a.IEND[i] = static_cast<std::int32_t>(std::min<std::size_t>(x.q.size(), static_cast<std::size_t>(a.NMAX)));
    } else {
      const float lower = x.tstart - h;
      const float upper = x.tend + h;
      a.ISTART[i] = first_row(a, a.NMAX, [lower](float t) { return t > lower; });
      a.IEND[i] = first_row(a, a.NMAX, [upper](float t) { return !(t < upper); }) - 1;
    }
  }
  return a;
}

}  // namespace conv

// The series table that every reader fills, and the common time axis on
// which the writers print it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <string>
#include <vector>

#include "converter/options.h"

namespace conv {

// Limits of one event's table.
inline constexpr std::int32_t MAXTS = 10000;
inline constexpr std::int32_t kDefaultMaxVals = 10000;
// Most rows of one event's time axis (before the -s0/-e0 zero rows).
inline constexpr std::int32_t kMaxRows = 10000000;
// Significant characters of a series name.
inline constexpr std::size_t kNameLength = 100;

struct Series {
  std::string name;          // without trailing blanks, at most kNameLength characters
  std::vector<float> q;      // values by step (the total hydrographs of WBNM input)
  std::vector<float> qloc;   // WBNM local hydrographs, step by step with q
  std::vector<float> hours;  // the time of each value in hours, when the table keeps value times
  float tstart = 0.0f;       // minutes
  float tend = 0.0f;         // minutes

  std::int32_t nvals() const { return static_cast<std::int32_t>(q.size()); }
};

// One event's series.  Storage follows what the reader delivers.
struct SeriesTable {
  std::vector<Series> series;
  std::int32_t MAXVALS = kDefaultMaxVals;
  bool has_local = false;  // q and qloc are filled in step (WBNM input)
  // Set by the file loop when the writer prints each value's own time: the
  // readers then keep it in Series::hours.
  bool keep_times = false;
  // Set by readers whose rows carry their own increment (RORB): the axis takes
  // it instead of measuring the first series.
  std::optional<float> given_dt;
  // Set by readers whose series all run from the first row (RORB, URBS).
  bool rows_from_start = false;

  std::int32_t NTS() const { return static_cast<std::int32_t>(series.size()); }
  // Empties the table for the next event (the file-wide settings stay).
  void clear() {
    series.clear();
    has_local = false;
    given_dt.reset();
    rows_from_start = false;
  }
  // Appends a value of series s at `minutes`, keeping its time when asked to.
  void append(Series& s, float minutes, float value) {
    s.q.push_back(value);
    if (keep_times) s.hours.push_back(minutes / 60.0f);
  }
  // Appends values as the next steps of s, each at the minute of its step
  // number (1, 2, ...), as row-block series count their time.
  void append_steps(Series& s, std::span<const float> values) {
    if (!keep_times) {
      s.q.insert(s.q.end(), values.begin(), values.end());
      return;
    }
    for (const float v : values) append(s, static_cast<float>(s.nvals() + 1), v);
  }
};

// Gives each of the series `steps` values (new ones 0), and as many value
// times when the table keeps them; the series are resized side by side on
// every thread when they are many.  A series that has to grow gets room for
// `room` values at once when that is more.
void resize_series(std::span<Series> series, std::size_t steps, bool keep_times, std::size_t room = 0);
// Gives the values of a run of rows, read a row at a time, to their series:
// value k of row r, items[r * n + skip + k], becomes series[k].q[at + r].
// A series at a time: the values of one row stored one by one would each
// land in another series' memory, a page or more apart.
void rows_to_series(std::span<const float> items, std::size_t n, std::size_t skip, std::size_t rows,
                    std::span<Series> series, std::size_t at);
// The same for the rows' times: minutes[r] / 60 becomes every series'
// hours[at + r], for r in from .. to - 1.
void times_to_series(std::span<const float> minutes, std::size_t from, std::size_t to, std::span<Series> series,
                     std::size_t at);

struct TimeAxis {
  float TMIN = 0.0f;
  float TMAX = 0.0f;
  float DT = 0.0f;
  std::int32_t NMAX = 0;
  std::vector<std::int32_t> ISTART, IEND;  // first and last row of each series (1-based)

  // Time of row k (1-based): (k - 1) * DT + TMIN in single precision.
  float time_of_row(std::int32_t k) const {
    const float steps = static_cast<float>(k - 1);
    const float offset = steps * DT;
    return offset + TMIN;
  }
  // The value that row k (1-based) shows for series i (0-based), or nullptr
  // for a blank field: the series' step k - ISTART + 1 when the row lies in
  // the series' rows and the step among its values.
  const float* value(const std::vector<float>& values, std::size_t i, std::int32_t k) const {
    const auto [first, last] = rows_shown(values, i);
    if (k < first || k > last) return nullptr;
    return &values[static_cast<std::size_t>(k - ISTART[i])];
  }
  // The rows (1-based, first..last; none when last < first) that show one of
  // the values of series i, as value() gives them.
  std::pair<std::int64_t, std::int64_t> rows_shown(const std::vector<float>& values, std::size_t i) const {
    const std::int64_t first = ISTART[i];
    return {first, std::min<std::int64_t>(IEND[i], first + static_cast<std::int64_t>(values.size()) - 1)};
  }
};

// Builds the axis of one event after its reader: prints the axis report,
// adds the -s0/-e0 zero steps to the series and settles each series' rows.
// A zero step before the first value is kept at the first time less DT / 60
// hours, one after the last value at the last time plus DT / 60 (in single
// precision, where the table keeps value times); a series without values
// gets no zero step.  Fatal conditions end the run.
TimeAxis build_time_axis(SeriesTable& table, const RunSettings& run);

}  // namespace conv

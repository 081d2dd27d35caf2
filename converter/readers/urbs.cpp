#include "converter/readers/urbs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "converter/failure.h"
#include "converter/parallel.h"
#include "library/dates.h"
#include "library/ffmt.h"
#include "library/keywords.h"
#include "library/numtext.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace conv::urbs {
namespace console = platform::console;

namespace {

constexpr std::size_t kFieldColumns = 9;   // a name or type field
constexpr std::size_t kDateColumns = 25;   // the date of a dated row
constexpr std::size_t kLabelColumns = 19;  // before the first name of a standard names line with types
constexpr std::string_view kPeakEnding = " URBS maximum/minimum records allowed.";

// The integer after the later of the two spellings of a count keyword;
// false when it cannot be read.  `v` is left as it is without the keyword.
bool count_after(std::string_view line, std::string_view spaced, std::string_view tight, std::int32_t& v) {
  const std::size_t a = line.find(spaced);
  const std::size_t b = line.find(tight);
  if (a == std::string_view::npos && b == std::string_view::npos) return true;
  const bool take_a = b == std::string_view::npos || (a != std::string_view::npos && a > b);
  const std::size_t start = take_a ? a + spaced.size() : b + tight.size();
  ffmt::ListReader r(line.substr(start));
  return r.read(v) == ffmt::kOk;
}

}  // namespace

std::int32_t COUNTSUB4(std::string_view LINE, std::string_view WORD) {
  std::int32_t count = 0;
  for (std::size_t p = LINE.find(WORD); p != std::string_view::npos; p = LINE.find(WORD, p + 5)) ++count;
  return count;
}

std::string_view Reader::next_line() {
  std::string_view line;
  if (!in_.read(line)) in_.read_error();
  return line;
}

void Reader::read_counts(std::string_view line, std::int32_t& nts, std::int32_t& nv) {
  nts = -1;
  nv = -1;
  if (!count_after(line, "Locations =", "Locations=", nts) || !count_after(line, "Values =", "Values=", nv))
    fail("ERROR - Reading number of locations and/or values from URBS .q file.", false);
  if (nts <= 0 || nv <= 0) fail("ERROR - Could not read number of locations and/or values from URBS .q file.", false);
  console::empty_line();
  console::line("Number of Hydrographs: " + lib::AINTEGER(nts));
  console::line("Number of Values:      " + lib::AINTEGER(nv));
  if (nts > MAXTS) capacity_exceeded(MAXTS, " URBS time-series allowed.");
}

void Reader::read_names(std::int32_t nts, SeriesTable& table) {
  // Standard names start in column 1 of the line without its leading and
  // trailing blanks; dated ones after the date columns.
  std::string_view names = next_line();
  const std::size_t skip = dated_ ? kDateColumns : 0;
  if (!dated_) names = lib::trim_both(names);
  table.series.resize(static_cast<std::size_t>(nts));
  for (std::size_t k = 0; k < table.series.size(); ++k)
    table.series[k].name = lib::columns(names, skip + kFieldColumns * k, kFieldColumns);

  // An optional types line: "Calc" computed, "Recd" recorded.  Either way the
  // line is never a data line.
  const std::string_view types = next_line();
  if (!lib::FLAGEXISTS(types, "Calc") && !lib::FLAGEXISTS(types, "Recd")) return;
  const std::int32_t ncalc = COUNTSUB4(types, "Calc");
  const std::int32_t nrecd = COUNTSUB4(types, "Recd");
  if (ncalc + nrecd != nts) {
    console::empty_line();
    console::line("WARNING - Number of timeseries not equal to not find \"Locations\", trying again.");
    nts = ncalc + nrecd;
    console::empty_line();
    console::line("nCalc hydrographs = " + lib::AINTEGER(ncalc));
    console::empty_line();
    console::line("nRecd hydrographs = " + lib::AINTEGER(nrecd));
    if (nts > MAXTS) capacity_exceeded(MAXTS, " URBS time-series allowed.");
  }
  // With a types line the names stand in the same columns as the types: read
  // the names line again, which leaves the types line to be read next.
  const std::size_t columns_skipped = dated_ ? kDateColumns : kLabelColumns;
  in_.step_back();
  in_.step_back();
  names = next_line();
  table.series.assign(static_cast<std::size_t>(nts), Series());
  for (std::size_t k = 0; k < table.series.size(); ++k) {
    const std::size_t at = columns_skipped + kFieldColumns * k;
    const std::string_view type = lib::trim_both(lib::columns(types, at, kFieldColumns));
    std::string& name = table.series[k].name;
    name = lib::columns(names, at, kFieldColumns);
    if (!lib::ASAME(type, "Calc")) name = lib::TRIMF(name) + " - " + std::string(type);
  }
}

bool Reader::is_first_data_line(std::string_view line) const {
  if (lib::FLAGEXISTS(line, "--")) return false;
  if (!dated_) return lib::is_number_line(line) && !lib::is_blank_or_tabs(line);
  const std::string_view values = lib::columns(line, kDateColumns - 1);
  return lib::is_number_line(values) && !lib::is_blank_or_tabs(values) && !lib::FLAGEXISTS(line, "Catchment") &&
         !lib::FLAGEXISTS(line, "Dav") && !lib::FLAGEXISTS(line, "Urbanised");
}

float Reader::read_standard_row(std::vector<float>& values) {
  float hours = 0.0f;
  const auto read_items = [&](ffmt::ListReader& r) {
    hours = 0.0f;
    std::fill(values.begin(), values.end(), 0.0f);
    int st = r.read(hours);
    for (std::size_t k = 0; k < values.size() && st == ffmt::kOk; ++k) st = r.read(values[k]);
    return st;
  };
  std::string_view line = next_line();
  ffmt::ListReader one_line(line);
  int st = read_items(one_line);
  if (st == ffmt::kEnd) {
    // The row goes on in the following lines: read it again from its first
    // line as one read over as many lines as it needs.
    in_.step_back();
    line = next_line();
    ffmt::ListReader spanning(line, [this](std::string_view& record) { return in_.read(record); });
    st = read_items(spanning);
  }
  if (st != ffmt::kOk) in_.read_error();
  return hours * 60.0f;
}

bool Reader::take_rows(std::int32_t& j, std::int32_t nv, double& first_hours, float& first, float& last,
                       SeriesTable& table) {
  // The rows left are counted: no line after them is read ahead.  A row on
  // one line holds a value for every location (after the time or the date),
  // each a character at least, with a separator between.
  ahead_.fill(in_, static_cast<std::size_t>(nv - j + 1), 2 * table.series.size() + (dated_ ? 0 : 1), true);
  const auto base = static_cast<std::size_t>(j - 1);
  std::vector<Series>& series = table.series;
  // Value times of standard rows are kept as they are read; dated ones need
  // the first row's date, which is read in order below.
  const bool times_now = table.keep_times && !dated_;
  resize_series(series, base + ahead_.size(), table.keep_times);
  std::vector<float> minutes(ahead_.size());
  // The hours since 1900 of each dated row, read here beside its values; NaN
  // where the date does not read, so that the reading in order below meets
  // it and reports it.
  std::vector<double> date_hours(dated_ ? ahead_.size() : 0);
  // The length of each dated row's date without its trailing blanks, found
  // here beside its values: the loop in order below puts out the row's
  // console line from it.
  std::vector<std::uint8_t> date_sizes(dated_ ? ahead_.size() : 0);
  // The time (of a standard row) and the values of a row, in one read.
  const std::size_t skip = dated_ ? 0 : 1;
  const std::size_t width = skip + series.size();
  const auto take = [&](std::size_t i, std::span<float> items) {
    const std::string_view line = ahead_.line(i);
    ffmt::ListReader r(dated_ ? lib::columns(line, kDateColumns) : line);
    if (r.read(items.data(), items.size()) != ffmt::kOk) return false;
    const float hours = dated_ ? 0.0f : items[0];
    if (dated_) {
      const std::string_view date = lib::columns(line, 0, kDateColumns);
      if (!lib::urbs_date_hours(date, date_hours[i])) date_hours[i] = std::numeric_limits<double>::quiet_NaN();
      date_sizes[i] = static_cast<std::uint8_t>(lib::trim_right(date).size());
    }
    minutes[i] = hours * 60.0f;
    return true;
  };
  const std::size_t taken = accepted_rows(ahead_, width, skip, series, base, minutes, times_now, take);
  ahead_.keep(in_, taken);
  resize_series(series, base + taken, table.keep_times);
  for (std::size_t i = 0; i < taken; ++i, ++j) {
    if (dated_) {
      const double h =
          std::isnan(date_hours[i]) ? lib::URBSDATEHOURS(lib::columns(ahead_.line(i), 0, kDateColumns)) : date_hours[i];
      if (j == 1) first_hours = h;
      // "j = ", the row's number as AINTEGER gives it, " datestr = ", the
      // date: made in place, for a few allocations a row cost more than the
      // rest of the row.
      char text[4 + 11 + 11 + kDateColumns + 1];
      char* p = text;
      const auto put = [&p](std::string_view piece) { p = std::copy(piece.begin(), piece.end(), p); };
      put("j = ");
      p = std::to_chars(p, text + sizeof text, j).ptr;
      put(" datestr = ");
      put(ahead_.line(i).substr(0, date_sizes[i]));
      *p++ = '\n';
      console::put(std::string_view(text, static_cast<std::size_t>(p - text)));
      minutes[i] = static_cast<float>((h - first_hours) * 60.0);
    }
    if (j == 1) first = minutes[i];
    last = minutes[i];
  }
  if (dated_ && table.keep_times) {
    const parallel::Work work{parallel::Kind::values, series.size() * taken * sizeof(float)};
    parallel::for_each(series.size(), work, [&](std::size_t k) {
      float* hours = series[k].hours.data() + base;
      for (std::size_t i = 0; i < taken; ++i) hours[i] = minutes[i] / 60.0f;
    });
  }
  return taken > 0;
}

void Reader::read(SeriesTable& table, PeakStore& peaks, std::int32_t column, std::int32_t ifile) {
  table.rows_from_start = true;
  std::string_view line;
  do {
    if (!in_.read(line)) fail("ERROR - Could not find \"DATA PARAMETERS :\" line");
  } while (!lib::ASAME(lib::columns(line, 0, 17), "DATA PARAMETERS :"));
  std::int32_t nts = 0, nv = 0;
  read_counts(line, nts, nv);
  if (nv > table.MAXVALS) capacity_exceeded(table.MAXVALS, " points in a URBS time-series.");
  do {
    if (!in_.read(line)) fail("ERROR - Could not find \"---------------\" line above hydrograph locations");
  } while (!lib::FLAGEXISTS(line, "------------"));
  read_names(nts, table);

  do {
    if (!in_.read(line)) fail("ERROR - Failed to find any hydrograph data in URBS .q file", false);
  } while (!is_first_data_line(line));
  console::empty_line();
  console::line("Reading URBS hydrographs...");
  in_.step_back();
  console::empty_line();
  console::line("RnVal = " + lib::AINTEGER(nv));
  // Rows: a time or a date, then one value per location; items left by a
  // null value or a slash are 0.
  // Every location gets nv values, or the run ends: when the rest of the
  // file has room for them at 8 bytes a value, they get their room at once.
  if (static_cast<std::uint64_t>(table.series.size()) * static_cast<std::uint64_t>(nv) * 8 <= in_.bytes_left()) {
    for (Series& s : table.series) {
      s.q.reserve(static_cast<std::size_t>(nv));
      if (table.keep_times) s.hours.reserve(static_cast<std::size_t>(nv));
    }
  }
  std::vector<float> values(table.series.size());
  double first_hours = 0.0;
  float first = 0.0f, last = 0.0f;
  std::int32_t j = 1;
  while (j <= nv) {
    // Rows that stand on one line each are taken many at a time.
    if (take_rows(j, nv, first_hours, first, last, table)) continue;
    if (dated_) {
      // A dated row that was not taken is missing or does not read.
      next_line();
      in_.read_error();
    }
    const float minutes = read_standard_row(values);
    if (j == 1) first = minutes;
    last = minutes;
    for (std::size_t k = 0; k < values.size(); ++k) table.append(table.series[k], minutes, values[k]);
    ++j;
  }

  for (Series& s : table.series) {
    s.tstart = first;
    s.tend = last;
    s.name = std::string(lib::cut(lib::TRIMF(s.name), kNameLength));
  }
  peaks.aggregate_all(table.series, column, ifile, kPeakEnding);
  console::line("...Finished Extracting Data");
}

}  // namespace conv::urbs

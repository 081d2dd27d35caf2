// The pieces that the .ts1, .csv and .ts2 writers share: records written
// buffered through the unit's connection, 12-character fields through the one
// formatter, the heading of names and the rows of the common time axis.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "converter/series.h"

namespace conv::rows {

// Width of every time and value field of the tables.
inline constexpr int kFieldWidth = 12;

// Series first .. last - 1 (0-based) of a table.
struct SeriesRange {
  std::size_t first = 0, last = 0;
};

// Writes one record (the line end is added).
void put_record(std::int32_t unit, std::string_view text);

// Rows of a table are built a tile of rows at a time, series by series, so
// that each series' values are read in order (reading across hundreds of
// series for every row would miss the cache at nearly every value).
inline constexpr std::size_t kTileRows = 64;

// Writes records 0..nrows-1 to unit: start(record, r) begins record r (an
// empty string), then fields(record, i, r) appends the part of series i of
// the range.
template <class Start, class Fields>
void write_tiled(std::int32_t unit, std::size_t nrows, SeriesRange range, Start start, Fields fields) {
  std::vector<std::string> records(std::min(nrows, kTileRows));
  for (std::size_t r0 = 0; r0 < nrows; r0 += kTileRows) {
    const std::size_t n = std::min(kTileRows, nrows - r0);
    for (std::size_t r = 0; r < n; ++r) {
      records[r].clear();
      start(records[r], r0 + r);
    }
    for (std::size_t i = range.first; i < range.last; ++i)
      for (std::size_t r = 0; r < n; ++r) fields(records[r], i, r0 + r);
    for (std::size_t r = 0; r < n; ++r) put_record(unit, records[r]);
  }
}

// The console lines before a table (or a .csv block) is written:
// an empty line and "Writing to " + ext + " file...".
void announce_writing(std::string_view ext);

// Appends a field of 12 blanks.
void put_blank(std::string& buf);
// Appends a value in 12 characters with 3 decimals.
void put_value(std::string& buf, float v);

// Builds the heading record: the label, then "," and each name of the range.
void heading(std::string& buf, std::string_view label, const SeriesTable& table, SeriesRange range);

// How the time column of the axis rows is written.
enum class TimeColumn {
  Minutes,  // the row's time in minutes, 12 characters with 2 decimals
  Hours,    // the row's time divided by 60, 12 characters with 4 decimals
};

// Writes the rows 1..NMAX of the axis for the series of the range: the time,
// then per series "," and the value the row shows, or "," and 12 blanks.
// unit_a gets the values q; unit_b, when not 0, the local values qloc.
void write_axis_rows(TimeColumn column, const SeriesTable& table, const TimeAxis& axis, SeriesRange range,
                     std::int32_t unit_a, std::int32_t unit_b);

}  // namespace conv::rows

// The pieces that the .ts1, .csv and .ts2 writers share: records written
// buffered through the unit's connection, 12-character fields through the one
// formatter, the heading of names and the rows of the common time axis.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "converter/series.h"

namespace conv::table_rows {

// Width of every time and value field of the tables.
inline constexpr int kFieldWidth = 12;

// Series first .. last - 1 (0-based) of a table.
struct SeriesRange {
  std::size_t first = 0, last = 0;
};

// Writes one record (the line end is added).
void put_record(std::int32_t unit, std::string_view text);

// Fills `n` fields of `w` characters spaced `stride` apart: blanks.
inline void blank_fields(char* first, std::size_t stride, std::size_t n, std::size_t w) {
  for (std::size_t r = 0; r < n; ++r) std::memset(first + r * stride, ' ', w);
}

// The console lines before a table (or a .csv block) is written:
// an empty line and "Writing to " + ext + " file...".
void announce_writing(std::string_view ext);

// Writes n values down a column, value k in the 12 characters at
// first + k * stride, with 3 decimals.
void put_values(char* first, std::size_t stride, const float* v, std::size_t n);

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

}  // namespace conv::table_rows

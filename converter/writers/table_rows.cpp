#include "converter/writers/table_rows.h"

#include <algorithm>

#include "converter/writers/tiles.h"
#include "library/ffmt.h"
#include "platform/connections.h"
#include "platform/console.h"

namespace conv::table_rows {

// A failed write is kept by the connection and reported when the file loop
// closes the unit.
void put_record(std::int32_t unit, std::string_view text) { platform::rt::write_record(unit, text); }

void announce_writing(std::string_view ext) {
  platform::console::empty_line();
  std::string text = "Writing to ";
  text += ext;
  text += " file...";
  platform::console::line(text);
}

void put_values(char* first, std::size_t stride, const float* v, std::size_t n) {
  ffmt::put_F_column(first, stride, kFieldWidth, 3, v, n);
}

void heading(std::string& buf, std::string_view label, const SeriesTable& table, SeriesRange range) {
  buf = label;
  for (std::size_t i = range.first; i < range.last; ++i) {
    buf += ',';
    buf += table.series[i].name;
  }
}

void write_axis_rows(TimeColumn column, const SeriesTable& table, const TimeAxis& axis, SeriesRange range,
                     std::int32_t unit_a, std::int32_t unit_b) {
  const auto nrows = static_cast<std::size_t>(std::max(axis.NMAX, 0));
  constexpr std::size_t kField = kFieldWidth;
  // The time, then per series "," and a field.
  const std::size_t length = kField + (kField + 1) * (range.last - range.first);
  const auto rows = [&](bool local) {
    return [&, local](char* first, std::size_t stride, std::size_t r0, std::size_t n) {
      for (std::size_t r = 0; r < n; ++r) {
        const float t = axis.time_of_row(static_cast<std::int32_t>(r0 + r + 1));
        if (column == TimeColumn::Minutes)
          ffmt::put_F(first + r * stride, kFieldWidth, 2, t);
        else
          ffmt::put_F(first + r * stride, kFieldWidth, 4, t / 60.0f);
      }
      const std::int64_t row0 = static_cast<std::int64_t>(r0) + 1;
      // The rows of this tile (0-based, [first, last)) that show one of
      // series i's values, and those values from the first of them on.
      struct Shown {
        std::size_t first, last;
        const float* values;
      };
      const auto shown = [&](std::size_t i) {
        const std::vector<float>& values = local ? table.series[i].qloc : table.series[i].q;
        const auto [first_shown, last_shown] = axis.rows_shown(values, i);
        const std::int64_t lo = std::max(first_shown, row0);
        const std::int64_t hi = std::min(last_shown, row0 + static_cast<std::int64_t>(n) - 1);
        if (lo > hi) return Shown{0, 0, nullptr};
        return Shown{static_cast<std::size_t>(lo - row0), static_cast<std::size_t>(hi - row0 + 1),
                     values.data() + (lo - axis.ISTART[i])};
      };
      // Rows from..to - 1 of series i's column: the comma, then the value or blanks.
      const auto column = [&](std::size_t i, const Shown& s, std::size_t from, std::size_t to) {
        char* col = first + kField + (kField + 1) * (i - range.first);
        for (std::size_t r = from; r < to; ++r) col[r * stride] = ',';
        ++col;
        const std::size_t lo = std::clamp(s.first, from, to), hi = std::clamp(s.last, lo, to);
        blank_fields(col + from * stride, stride, lo - from, kField);
        if (hi > lo) put_values(col + lo * stride, stride, s.values + (lo - s.first), hi - lo);
        blank_fields(col + hi * stride, stride, to - hi, kField);
      };
      // Asks for the values of series i..i+7 in this tile: no hardware
      // prefetcher follows that many short runs at once.
      const auto find_and_prefetch = [&](std::size_t i, Shown* s) {
        for (std::size_t j = 0; j < 8; ++j) {
          s[j] = shown(i + j);
          for (std::size_t k = s[j].first; k < s[j].last; k += 16) __builtin_prefetch(s[j].values + (k - s[j].first));
        }
      };
      std::size_t i = range.first;
      Shown s[8], next[8];
      if (i + 8 <= range.last) find_and_prefetch(i, next);
      // Eight series at a time, along the rows where all eight show values.
      for (; i + 8 <= range.last; i += 8) {
        std::copy(std::begin(next), std::end(next), std::begin(s));
        if (i + 16 <= range.last) find_and_prefetch(i + 8, next);
        std::size_t lo = 0, hi = n;
        for (std::size_t j = 0; j < 8; ++j) {
          lo = std::max(lo, s[j].first);
          hi = std::min(hi, s[j].last);
        }
        if (hi <= lo) {
          for (std::size_t j = 0; j < 8; ++j) column(i + j, s[j], 0, n);
          continue;
        }
        const float* v[8];
        for (std::size_t j = 0; j < 8; ++j) {
          column(i + j, s[j], 0, lo);
          column(i + j, s[j], hi, n);
          v[j] = s[j].values + (lo - s[j].first);
        }
        ffmt::put_F_eight_columns(first + kField + (kField + 1) * (i - range.first) + lo * stride, stride,
                                  kField + 1, ',', kField, 3, v, hi - lo);
      }
      for (; i < range.last; ++i) column(i, shown(i), 0, n);
    };
  };
  tiles::write_tiled(unit_a, nrows, length, rows(false));
  if (unit_b != 0) tiles::write_tiled(unit_b, nrows, length, rows(true));
}

}  // namespace conv::table_rows

#include "converter/writers/rows.h"

#include "library/ffmt.h"
#include "platform/console.h"
#include "platform/units.h"

namespace conv::rows {

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

void put_blank(std::string& buf) { buf.append(kFieldWidth, ' '); }

void put_value(std::string& buf, float v) { ffmt::put_F(buf, kFieldWidth, 3, v); }

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
  const auto time = [&](std::string& record, std::size_t r) {
    const float t = axis.time_of_row(static_cast<std::int32_t>(r + 1));
    if (column == TimeColumn::Minutes)
      ffmt::put_F(record, kFieldWidth, 2, t);
    else
      ffmt::put_F(record, kFieldWidth, 4, t / 60.0f);
  };
  // "," and the value that the row shows, or "," and 12 blanks.
  const auto values = [&](bool local) {
    return [&table, &axis, local](std::string& record, std::size_t i, std::size_t r) {
      const Series& s = table.series[i];
      record += ',';
      if (const float* v = axis.value(local ? s.qloc : s.q, i, static_cast<std::int32_t>(r + 1)))
        put_value(record, *v);
      else
        put_blank(record);
    };
  };
  write_tiled(unit_a, nrows, range, time, values(false));
  if (unit_b != 0) write_tiled(unit_b, nrows, range, time, values(true));
}

}  // namespace conv::rows

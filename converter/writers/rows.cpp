#include "converter/writers/rows.h"

#include "library/ffmt.h"
#include "platform/console.h"
#include "platform/units.h"

namespace conv::rows {

namespace {

// Appends, series by series, "," and the value that row k shows, or "," and
// 12 blanks.
void append_values(std::string& buf, const SeriesTable& table, const TimeAxis& axis, SeriesRange range,
                   std::int32_t k, bool local) {
  for (std::size_t i = range.first; i < range.last; ++i) {
    const Series& s = table.series[i];
    buf += ',';
    if (const float* v = axis.value(local ? s.qloc : s.q, i, k))
      put_value(buf, *v);
    else
      put_blank(buf);
  }
}

}  // namespace

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
  std::string buf;
  for (std::int32_t k = 1; k <= axis.NMAX; ++k) {
    buf.clear();
    const float t = axis.time_of_row(k);
    if (column == TimeColumn::Minutes)
      ffmt::put_F(buf, kFieldWidth, 2, t);
    else
      ffmt::put_F(buf, kFieldWidth, 4, t / 60.0f);
    const std::size_t time_end = buf.size();
    append_values(buf, table, axis, range, k, false);
    put_record(unit_a, buf);
    if (unit_b != 0) {
      buf.resize(time_end);
      append_values(buf, table, axis, range, k, true);
      put_record(unit_b, buf);
    }
  }
}

}  // namespace conv::rows

#include "converter/writers/ts2.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "converter/writers/table_rows.h"
#include "converter/writers/tiles.h"
#include "library/ffmt.h"

namespace conv {

std::string_view Ts2Writer::refusal(Naming naming) const {
  if (naming == Naming::Single) return {};
  return "   TS2 Output Format not supported for WBNM format or multiple event switch.";
}

EventOutputs Ts2Writer::outputs(Naming, const NameParts& parts, std::string_view) const {
  return {{parts.M + ".ts2", "   TS2 Output File: "}, {}};
}

// A time column and a value column per series, each series running for its
// own values: row j holds step j of every series that has one, blank fields
// for the others.  The time axis plays no part.
void Ts2Writer::write(const RunSettings&, std::string_view, const SeriesTable& table, const TimeAxis&,
                      std::int32_t unit_a, std::int32_t) const {
  table_rows::announce_writing(".ts2");
  std::string buf;
  std::size_t nr = 0;
  for (const Series& s : table.series) {
    if (&s != &table.series.front()) buf += ',';
    buf += "\"Time_";
    buf += s.name;
    buf += "\",\"";
    buf += s.name;
    buf += '"';
    nr = std::max(nr, s.q.size());
  }
  table_rows::put_record(unit_a, buf);
  // Series 0 fills columns 0..24 (time, ",", value); each later series a ","
  // and 25 columns more.
  constexpr std::size_t kField = table_rows::kFieldWidth;
  constexpr std::size_t kPair = 2 * kField + 1;
  const std::size_t nts = table.series.size();
  const std::size_t length = nts == 0 ? 0 : kPair + (kPair + 1) * (nts - 1);
  const auto fill = [&](char* first, std::size_t stride, std::size_t r0, std::size_t n) {
    // Rows from .. n - 1 of series i: a separator after the series before,
    // then its time and value, or blanks.
    const auto column = [&](std::size_t i, std::size_t from) {
      const Series& s = table.series[i];
      char* col = first;
      if (i > 0) {
        col += kPair + (kPair + 1) * (i - 1);
        for (std::size_t r = from; r < n; ++r) col[r * stride] = ',';
        ++col;
      }
      // Rows r0 .. r0 + shown - 1 hold values of this series.
      const std::size_t shown = s.q.size() > r0 ? std::min(n, s.q.size() - r0) : 0;
      for (std::size_t r = from; r < n; ++r) {
        char* f = col + r * stride;
        const std::size_t j = r0 + r;
        f[kField] = ',';
        if (r < shown) {
          // Every reader keeps a time per value for this table; a value without
          // one gets a blank time rather than another value's.
          if (j < s.hours.size())
            ffmt::put_F(f, table_rows::kFieldWidth, 4, s.hours[j]);
          else
            std::memset(f, ' ', kField);
        } else {
          std::memset(f, ' ', kField);
          std::memset(f + kField + 1, ' ', kField);
        }
      }
      if (shown > from)
        table_rows::put_values(col + kField + 1 + from * stride, stride, s.q.data() + r0 + from, shown - from);
    };
    // After the first, eight series at a time along the rows where all eight
    // have a time and a value.
    std::size_t i = 1;
    for (; i + 8 <= nts; i += 8) {
      std::size_t full = n;
      for (std::size_t k = 0; k < 8; ++k) {
        const Series& s = table.series[i + k];
        const std::size_t both = std::min(s.q.size(), s.hours.size());
        full = std::min(full, both > r0 ? both - r0 : 0);
      }
      if (full > 0) {
        const float* times[8];
        const float* values[8];
        for (std::size_t k = 0; k < 8; ++k) {
          times[k] = table.series[i + k].hours.data() + r0;
          values[k] = table.series[i + k].q.data() + r0;
        }
        char* const at = first + kPair + (kPair + 1) * (i - 1);
        ffmt::put_F_eight_columns(at, stride, kPair + 1, ',', table_rows::kFieldWidth, 4, times, full);
        ffmt::put_F_eight_columns(at + 1 + kField, stride, kPair + 1, ',', table_rows::kFieldWidth, 3, values, full);
      }
      for (std::size_t k = 0; k < 8; ++k) column(i + k, full);
    }
    for (std::size_t k = 0; k < nts; ++k)
      if (k == 0 || k >= i) column(k, 0);
  };
  tiles::write_tiled(unit_a, nr, length, fill);
}

}  // namespace conv

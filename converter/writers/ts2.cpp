#include "converter/writers/ts2.h"

#include <algorithm>
#include <string>

#include "converter/writers/rows.h"
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
  rows::announce_writing(".ts2");
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
  rows::put_record(unit_a, buf);
  const auto no_start = [](std::string&, std::size_t) {};
  const auto fields = [&table](std::string& record, std::size_t i, std::size_t j) {
    const Series& s = table.series[i];
    if (i > 0) record += ',';
    if (j < s.q.size()) {
      // Every reader keeps a time per value for this table; a value without
      // one gets a blank time rather than another value's.
      if (j < s.hours.size())
        ffmt::put_F(record, rows::kFieldWidth, 4, s.hours[j]);
      else
        rows::put_blank(record);
      record += ',';
      rows::put_value(record, s.q[j]);
    } else {
      rows::put_blank(record);
      record += ',';
      rows::put_blank(record);
    }
  };
  rows::write_tiled(unit_a, nr, {0, table.series.size()}, no_start, fields);
}

}  // namespace conv

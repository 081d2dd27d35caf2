#include "converter/writers/ts1.h"

#include <string>

#include "converter/writers/table_rows.h"
#include "library/ffmt.h"

namespace conv {

namespace {

using table_rows::put_record;

// Start_Index / End_Index / heading records.
void index_records(std::int32_t unit, const SeriesTable& table, const TimeAxis& axis, std::string& buf) {
  buf = "Start_Index ";
  for (std::int32_t v : axis.ISTART) {
    buf += ',';
    ffmt::put_I(buf, table_rows::kFieldWidth, v);
  }
  put_record(unit, buf);
  buf = "End_Index   ";
  for (std::int32_t v : axis.IEND) {
    buf += ',';
    ffmt::put_I(buf, table_rows::kFieldWidth, v);
  }
  put_record(unit, buf);
  table_rows::heading(buf, "Time (min)  ", table, {0, table.series.size()});
  put_record(unit, buf);
}

}  // namespace

EventOutputs Ts1Writer::outputs(Naming naming, const NameParts& parts, std::string_view event) const {
  static constexpr OutputLabels kLabels{
      "   TS1 Output File: ",
      "   TS1 Total Hydrographs Output File: ",
      "   TS1 Local Hydrographs Output File: ",
      "   TS1 Total Hydrographs Output File Based On: ",
      "   TS1 Local Hydrographs Output File Based On: ",
      false,
  };
  return shared_outputs(naming, parts, event, ".ts1", kLabels);
}

void Ts1Writer::write(const RunSettings& run, std::string_view match_name, const SeriesTable& table,
                      const TimeAxis& axis, std::int32_t unit_a, std::int32_t unit_b) const {
  table_rows::announce_writing(".ts1");
  const bool pair = unit_b != 0;
  std::string buf = "! File created from: ";
  buf += match_name;
  buf += " using ";
  buf += run.PROGPATH;
  buf += ' ';
  buf += std::string_view(BUILDTAG).substr(0, BUILDTAG.find_last_not_of(' ') + 1);
  put_record(unit_a, buf);
  if (run.zero_start) {
    put_record(unit_a, "! Zero flow added at beginning of hydrographs");
    if (pair) put_record(unit_b, "! Zero flow added at beginning of hydrographs");
  }
  if (run.zero_end) {
    put_record(unit_a, "! Zero flow added at end of hydrographs");
    if (pair) put_record(unit_b, "! Zero flow added at end of hydrographs");
  }
  std::string counts;
  ffmt::put_I(counts, 10, table.NTS());
  counts += ',';
  ffmt::put_I(counts, 10, axis.NMAX);
  put_record(unit_a, counts);
  if (pair) {
    put_record(unit_b, "! File created from: " + std::string(match_name));
    put_record(unit_b, counts);
  }
  index_records(unit_a, table, axis, buf);
  if (pair) index_records(unit_b, table, axis, buf);
  table_rows::write_axis_rows(table_rows::TimeColumn::Minutes, table, axis, {0, table.series.size()}, unit_a, unit_b);
}

}  // namespace conv

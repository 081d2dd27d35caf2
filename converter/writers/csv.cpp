#include "converter/writers/csv.h"

#include <algorithm>

#include "converter/writers/table_rows.h"

namespace conv {

EventOutputs CsvWriter::outputs(Naming naming, const NameParts& parts, std::string_view event) const {
  static constexpr std::string_view kLabel = "   CSV Output File: ";
  static constexpr OutputLabels kLabels{kLabel, kLabel, kLabel, kLabel, kLabel, true};
  return shared_outputs(naming, parts, event, ".csv", kLabels);
}

// Blocks of at most -col series, one after the other in the same file with
// an empty record between them; each block has its heading and a row per
// step of the time axis, times in hours.  WBNM input writes the local values
// to the second file in the same layout.
void CsvWriter::write(const RunSettings& run, std::string_view, const SeriesTable& table, const TimeAxis& axis,
                      std::int32_t unit_a, std::int32_t unit_b) const {
  const std::size_t nts = table.series.size();
  // Without a column count every series goes into one block; so does an
  // event without series, which gets the heading label and time-only rows.
  const std::size_t ncol = run.NCOL > 0 ? static_cast<std::size_t>(run.NCOL) : nts;
  const std::size_t blocks = nts == 0 ? 1 : (nts - 1) / ncol + 1;
  std::string buf;
  for (std::size_t b = 0; b < blocks; ++b) {
    if (b > 0) {
      table_rows::put_record(unit_a, "");
      if (unit_b != 0) table_rows::put_record(unit_b, "");
    }
    table_rows::announce_writing(".csv");
    const table_rows::SeriesRange range{b * ncol, std::min(nts, (b + 1) * ncol)};
    table_rows::heading(buf, "Time (hr)   ", table, range);
    table_rows::put_record(unit_a, buf);
    if (unit_b != 0) table_rows::put_record(unit_b, buf);
    table_rows::write_axis_rows(table_rows::TimeColumn::Hours, table, axis, range, unit_a, unit_b);
  }
}

}  // namespace conv

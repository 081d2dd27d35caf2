#include "converter/writers/ts1.h"

#include <string>

#include "library/ffmt.h"
#include "library/ftext.h"
#include "platform/console.h"
#include "platform/units.h"

namespace conv {
namespace rt = platform::rt;

namespace {

constexpr int kValueWidth = 12;

void put(std::int32_t unit, std::string_view text) { rt::write_record(unit, text); }

// Start_Index / End_Index / heading records.
void index_records(std::int32_t unit, const SeriesTable& table, const TimeAxis& axis, std::string& buf) {
  buf = "Start_Index ";
  for (std::int32_t v : axis.ISTART) {
    buf += ',';
    ffmt::put_I(buf, kValueWidth, v);
  }
  put(unit, buf);
  buf = "End_Index   ";
  for (std::int32_t v : axis.IEND) {
    buf += ',';
    ffmt::put_I(buf, kValueWidth, v);
  }
  put(unit, buf);
  buf = "Time (min)  ";
  for (const Series& s : table.series) {
    buf += ',';
    buf += s.name;
  }
  put(unit, buf);
}

void data_row(std::string& buf, float time, const TimeAxis& axis, const SeriesTable& table, std::int32_t k,
              bool local) {
  buf.clear();
  ffmt::put_F(buf, 12, 2, time);
  const std::size_t n = table.series.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Series& s = table.series[i];
    buf += ',';
    if (const float* v = axis.value(local ? s.qloc : s.q, i, k))
      ffmt::put_F(buf, kValueWidth, 3, *v);
    else
      buf.append(kValueWidth, ' ');
  }
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
  platform::console::empty_line();
  platform::console::line("Writing to .ts1 file...");
  const bool pair = unit_b != 0;
  std::string buf = "! File created from: ";
  buf += match_name;
  buf += " using ";
  buf += run.PROGPATH;
  buf += ' ';
  buf += std::string_view(BUILDTAG).substr(0, BUILDTAG.find_last_not_of(' ') + 1);
  put(unit_a, buf);
  if (run.zero_start) {
    put(unit_a, "! Zero flow added at beginning of hydrographs");
    if (pair) put(unit_b, "! Zero flow added at beginning of hydrographs");
  }
  if (run.zero_end) {
    put(unit_a, "! Zero flow added at end of hydrographs");
    if (pair) put(unit_b, "! Zero flow added at end of hydrographs");
  }
  std::string counts;
  ffmt::put_I(counts, 10, table.NTS());
  counts += ',';
  ffmt::put_I(counts, 10, axis.NMAX);
  put(unit_a, counts);
  if (pair) {
    put(unit_b, "! File created from: " + std::string(match_name));
    put(unit_b, counts);
  }
  index_records(unit_a, table, axis, buf);
  if (pair) index_records(unit_b, table, axis, buf);
  for (std::int32_t k = 1; k <= axis.NMAX; ++k) {
    const float t = axis.time_of_row(k);
    data_row(buf, t, axis, table, k, false);
    put(unit_a, buf);
    if (pair) {
      data_row(buf, t, axis, table, k, true);
      put(unit_b, buf);
    }
  }
}

}  // namespace conv

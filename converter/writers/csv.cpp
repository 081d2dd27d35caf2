#include "converter/writers/csv.h"

#include "library/unittables.h"
#include "platform/console.h"

namespace conv {

EventOutputs CsvWriter::outputs(Naming naming, const NameParts& parts, std::string_view event) const {
  static constexpr std::string_view kLabel = "   CSV Output File: ";
  static constexpr OutputLabels kLabels{kLabel, kLabel, kLabel, kLabel, kLabel, true};
  return shared_outputs(naming, parts, event, ".csv", kLabels);
}

void CsvWriter::write(const RunSettings&, std::string_view, const SeriesTable&, const TimeAxis&, std::int32_t,
                      std::int32_t) const {}

}  // namespace conv

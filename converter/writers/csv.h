// The .csv table.
#pragma once

#include "converter/writers/writer.h"

namespace conv {

class CsvWriter : public OutputWriter {
 public:
  std::string_view converting_label() const override { return "Converting to .csv: "; }
  EventOutputs outputs(Naming naming, const NameParts& parts, std::string_view event) const override;
  void write(const RunSettings& run, std::string_view match_name, const SeriesTable& table, const TimeAxis& axis,
             std::int32_t unit_a, std::int32_t unit_b) const override;
};

}  // namespace conv

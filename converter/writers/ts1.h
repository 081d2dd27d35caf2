// The .ts1 table: comment lines, counts, index records, heading and one row
// per step of the time axis, times in minutes.  WBNM input writes the total
// and the local values as a pair of files in step.
#pragma once

#include "converter/writers/writer.h"

namespace conv {

class Ts1Writer : public OutputWriter {
 public:
  std::string_view converting_label() const override { return "Converting to .ts1: "; }
  EventOutputs outputs(Naming naming, const NameParts& parts, std::string_view event) const override;
  void write(const RunSettings& run, std::string_view match_name, const SeriesTable& table, const TimeAxis& axis,
             std::int32_t unit_a, std::int32_t unit_b) const override;
};

}  // namespace conv

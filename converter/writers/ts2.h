// The .ts2 table.
#pragma once

#include "converter/writers/writer.h"

namespace conv {

class Ts2Writer : public OutputWriter {
 public:
  std::string_view converting_label() const override { return "Converting to .ts2: "; }
  std::string_view refusal(Naming naming) const override;
  EventOutputs outputs(Naming naming, const NameParts& parts, std::string_view event) const override;
  bool needs_value_times() const override { return true; }
  void write(const RunSettings& run, std::string_view match_name, const SeriesTable& table, const TimeAxis& axis,
             std::int32_t unit_a, std::int32_t unit_b) const override;
};

}  // namespace conv

#include "converter/writers/ts2.h"

namespace conv {

std::string_view Ts2Writer::refusal(Naming naming) const {
  if (naming == Naming::Single) return {};
  return "   TS2 Output Format not supported for WBNM format or multiple event switch.";
}

EventOutputs Ts2Writer::outputs(Naming, const NameParts& parts, std::string_view) const {
  return {{parts.M + ".ts2", "   TS2 Output File: "}, {}};
}

void Ts2Writer::write(const RunSettings&, std::string_view, const SeriesTable&, const TimeAxis&, std::int32_t,
                      std::int32_t) const {}

}  // namespace conv

#include "converter/writers/writer.h"

#include "converter/writers/csv.h"
#include "converter/writers/ts1.h"
#include "converter/writers/ts2.h"
#include "library/paths.h"
#include "library/text_basics.h"

namespace conv {

NameParts::NameParts(std::string_view match_name)
    : M(match_name),
      P(lib::trim_right(lib::FILENAMEPATH(match_name))),
      X(lib::trim_right(lib::FILEEXT(match_name))) {}

EventOutputs shared_outputs(Naming naming, const NameParts& p, std::string_view event, std::string_view ext,
                            const OutputLabels& labels) {
  const std::string e(lib::trim_right(event));
  const std::string x(ext);
  switch (naming) {
    case Naming::Single:
      return {{p.M + x, std::string(labels.single)}, {}};
    case Naming::WbnmPair: {
      const std::string& stem = labels.pair_keeps_extension ? p.M : p.P;
      return {{stem + "_tot" + x, std::string(labels.total)}, {stem + "_loc" + x, std::string(labels.local)}};
    }
    case Naming::WbnmDurations:
      return {{p.P + "_" + e + "min_tot" + x, std::string(labels.total_by_event)},
              {p.P + "_" + e + "min_loc" + x, std::string(labels.local_by_event)}};
    case Naming::Storms:
      return {{p.P + "_" + e + p.X + x, std::string(labels.total_by_event)}, {}};
  }
  return {};
}

std::unique_ptr<OutputWriter> make_writer(OutputKind kind) {
  switch (kind) {
    case OutputKind::Ts1:
      return std::make_unique<Ts1Writer>();
    case OutputKind::Ts2:
      return std::make_unique<Ts2Writer>();
    case OutputKind::Csv:
      return std::make_unique<CsvWriter>();
  }
  return nullptr;
}

}  // namespace conv

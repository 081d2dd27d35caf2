// The file loop's one view of every output format: the label of the
// "Converting to" line, the names of each event's outputs with their console
// lines, and the writing of one event's table on the units the loop opened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "converter/naming.h"
#include "converter/options.h"
#include "converter/series.h"

namespace conv {

// The pieces of the input's name that output names are built from.
struct NameParts {
  std::string M;  // the matched name
  std::string P;  // M without its last extension
  std::string X;  // the last extension, lower case, with its dot (or nothing)
  explicit NameParts(std::string_view match_name);
};

// One output and the console line that announces it.
struct NamedOutput {
  std::string name;
  std::string label;  // printed before the name
};

// The outputs of one event: the first always, the second for the WBNM local
// hydrographs (empty name otherwise).
struct EventOutputs {
  NamedOutput first, second;
};

class OutputWriter {
 public:
  virtual ~OutputWriter() = default;

  // "Converting to .ts1: " and the like.
  virtual std::string_view converting_label() const = 0;
  // The message that refuses input named this way, or nothing.
  virtual std::string_view refusal(Naming) const { return {}; }
  // The outputs of one event; `event` is the event's name (multi-event only).
  virtual EventOutputs outputs(Naming naming, const NameParts& parts, std::string_view event) const = 0;
  // True when the writer prints each value's own time (the readers then keep
  // it, in hours).
  virtual bool needs_value_times() const { return false; }
  // Writes one event's table on unit_a, and the local values on unit_b when
  // the table has them (unit_b 0 otherwise).
  virtual void write(const RunSettings& run, std::string_view match_name, const SeriesTable& table,
                     const TimeAxis& axis, std::int32_t unit_a, std::int32_t unit_b) const = 0;
};

// The writer of the run's output format.
std::unique_ptr<OutputWriter> make_writer(OutputKind kind);

// The console labels of one format's output names.
struct OutputLabels {
  std::string_view single, total, local, total_by_event, local_by_event;
  bool pair_keeps_extension;  // the single-event WBNM pair is named after M, not P
};

// The names of one event's outputs in the shape .ts1 and .csv share:
// M + ext; the WBNM pair stem + "_tot"/"_loc" + ext; P + "_" + E + "min_tot"
// (and "min_loc") + ext; P + "_" + E + X + ext.
EventOutputs shared_outputs(Naming naming, const NameParts& parts, std::string_view event, std::string_view ext,
                            const OutputLabels& labels);

}  // namespace conv

// How the outputs of an input file are named: the reader of the input kind
// says which way, and the writer of the output format forms the names.
#pragma once

namespace conv {

// The rows of the output-name table.
enum class Naming {
  Single,         // one output named after the input
  WbnmPair,       // WBNM, one event: a total and a local output
  WbnmDurations,  // WBNM -mw: a total and a local output per duration
  Storms,         // XP-RAFTS -mr: one output per storm
};

}  // namespace conv

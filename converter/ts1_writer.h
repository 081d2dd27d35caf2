// The .ts1 table: comment lines, counts, index records, heading and one row
// per step of the time axis, times in minutes.
#pragma once

#include <cstdint>
#include <string_view>

#include "converter/options.h"
#include "converter/series.h"

namespace conv {

// Writes one event's table on `unit_a`, and for input with local hydrographs
// the local table on `unit_b` (0 when there is none).  `match_name` is the
// input's name as matched.
void write_ts1(const RunSettings& run, std::string_view match_name, const SeriesTable& table, const TimeAxis& axis,
               std::int32_t unit_a, std::int32_t unit_b);

}  // namespace conv

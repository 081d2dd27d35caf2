// XP interface files (binary .int / .ext): the interface reader opens, reads
// and closes the file itself; the converter checks what came back, turns the
// hours into minutes and completes its series table and peaks.
#pragma once

#include <cstdint>

#include "converter/peaks.h"
#include "converter/readers/reader.h"
#include "converter/series.h"

namespace conv::xpfile {

class XpReader : public InputReader {
 public:
  using InputReader::InputReader;
  bool reads_through_unit() const override { return false; }
  void read_event(std::int32_t ievent, SeriesTable& table, PeakStore& peaks, std::int32_t column) override;
};

}  // namespace conv::xpfile

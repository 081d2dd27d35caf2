// WBNM _Meta.out result files: the version scan and the reading pass of one
// event (storm or simulation).
#pragma once

#include <cstdint>
#include <string_view>

#include "converter/peaks.h"
#include "converter/series.h"
#include "platform/units.h"

namespace conv::wbnm {

// Version of a file without a meta-file block.
inline constexpr std::int64_t kNoMetaBlock = -99999;
// First version that numbers its events as simulations.
inline constexpr std::int64_t kVersion2019 = 2019000;

// Reads the meta-file block from the start of the file and returns the
// version (YEAR x 1000 + MINOR x 100 + letter index; -1 when the block has no
// readable version line).  Leaves the input at its start again when the block
// was found.
std::int64_t scan_version(platform::rt::TextSource& input);

// The version number of one version line, or -1 when it cannot be read.
std::int64_t version_of_line(std::string_view line);

class Reader {
 public:
  explicit Reader(platform::rt::TextSource& input) : in_(input) {}

  // Reads event `ievent` (1-based) into the table; the peaks of its peak
  // summary go to `column` of the store.  Leaves the input on the next
  // event's start line.
  void read_event(std::int32_t ievent, std::int64_t version, SeriesTable& table, PeakStore& peaks,
                  std::int32_t column, std::int32_t ifile);

  // Lines read so far (the line number of the last line read).
  std::int32_t NLINE() const { return nline_; }

 private:
  bool read(std::string_view& line);
  void step_back();
  [[noreturn]] void read_error() const;
  // Reads one hydrograph block whose header is `header`; returns the line
  // that ended it, or false at the end of the file.
  bool read_block(std::string_view header, std::int64_t version, SeriesTable& table, std::string_view& ended_by);
  bool read_peak_summary(PeakStore& peaks, std::int32_t column, std::int32_t ifile, std::string_view& ended_by);

  platform::rt::TextSource& in_;
  std::int32_t nline_ = 0;
  bool at_end_ = false;
};

}  // namespace conv::wbnm

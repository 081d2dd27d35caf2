// RORB .out result files: the hydrograph summary, block by block, with the
// time step measured from the rows (or given by -dt).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "converter/peaks.h"
#include "converter/readers/line_input.h"
#include "converter/readers/read_ahead.h"
#include "converter/readers/reader.h"
#include "converter/series.h"
#include "platform/text_source.h"

namespace conv::rorb {

// The customary step (minutes) that a measured step lies within 0.2 minutes
// of, tested in single precision in a fixed order; the measured step itself
// when none is that close.
float snap_step(float measured);

class Reader {
 public:
  // `dt` and `dt_given` as the command line left them.
  Reader(const platform::rt::TextSource& input, float dt, bool dt_given) : in_(input), dt_(dt), dt_given_(dt_given) {}
  Reader(const platform::rt::TextSource& input, const InputFile& file)
      : Reader(input, file.run.dt, file.run.dt_given) {}

  // Reads every block of the summary into the table and their peaks into
  // `column` of the store; the table gets the final step as its increment.
  void read(SeriesTable& table, PeakStore& peaks, std::int32_t column, std::int32_t ifile);

  std::int64_t NLINE() const { return in_.NLINE(); }

 private:
  // Width of a block whose first data row is `row`: its numbers less the
  // increment and the time; below 1 when the row starts no block.
  static std::int32_t block_width(std::string_view row);
  // Reads the block under `header` whose first row is `row`.  Returns false
  // at the end of the file, else true with `row` holding the line that ended
  // the block.
  bool read_block(std::string_view header, std::int32_t width, std::string_view& row, SeriesTable& table);
  // Takes the data rows that read, from the next line on and up to the
  // limit, into the block of `width` series from series `first`, many at a
  // time; returns how many.  `j` counts the block's rows; `time` becomes the
  // last row's time (minutes), `first_time` the first's; the step is
  // measured from the first two.
  std::size_t take_rows(std::size_t first, std::size_t width, std::int32_t& j, float& first_time, float& time,
                        SeriesTable& table);

  LineInput in_;
  ReadAhead ahead_;
  float dt_;
  bool dt_given_;
  bool measured_ = false;  // a step was measured from the rows
  float last_measured_ = 0.0f;
};

// The file loop's RORB input.
using RorbReader = WholeFileReader<Reader>;

}  // namespace conv::rorb

// WBNM _Meta.out result files: the version scan and the reading pass of one
// event (storm or simulation).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "converter/peaks.h"
#include "converter/readers/line_input.h"
#include "converter/readers/reader.h"
#include "converter/series.h"
#include "platform/text_source.h"

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
  explicit Reader(const platform::rt::TextSource& input) : in_(input) {}

  // Reads event `ievent` (1-based) into the table; the peaks of its peak
  // summary go to `column` of the store.  Leaves the input on the next
  // event's start line.
  void read_event(std::int32_t ievent, std::int64_t version, SeriesTable& table, PeakStore& peaks,
                  std::int32_t column, std::int32_t ifile);

  // Lines read so far (the line number of the last line read).
  std::int64_t NLINE() const { return in_.NLINE(); }

 private:
  bool read(std::string_view& line) { return in_.read(line); }
  void step_back() { in_.step_back(); }
  [[noreturn]] void read_error() const { in_.read_error(); }
  // Reads one hydrograph block whose header is `header`; returns the line
  // that ended it, or false at the end of the file.
  bool read_block(std::string_view header, std::int64_t version, SeriesTable& table, std::string_view& ended_by);
  bool read_peak_summary(PeakStore& peaks, std::int32_t column, std::int32_t ifile, std::string_view& ended_by);

  LineInput in_;
};

// The file loop's WBNM input: the version scan on a first connection, then
// the reading pass on the reading connection.
class WbnmReader : public InputReader {
 public:
  using InputReader::InputReader;
  bool scan() override;
  // -mw: counts the durations (simulations, or the storms of the storm block)
  // on the scan connection and collects their names.
  std::vector<std::string> count_events() override;
  // No first look of its own: the version scan has opened the file already,
  // and the reading connection opens it by its matched name, asking for
  // another name when it has gone.
  void check_single() override {}
  Naming naming() const override { return file_.run.multi_event ? Naming::WbnmDurations : Naming::WbnmPair; }
  void start() override;
  void read_event(std::int32_t ievent, SeriesTable& table, PeakStore& peaks, std::int32_t column) override;

 private:
  std::int32_t count_simulations(platform::rt::TextSource& in) const;
  std::int32_t count_storm_block(platform::rt::TextSource& in) const;
  std::vector<std::string> simulation_names(platform::rt::TextSource& in, std::int32_t nevents) const;
  std::vector<std::string> storm_names(platform::rt::TextSource& in, std::int32_t nevents) const;
  [[noreturn]] void file_issue(std::string_view what) const;

  std::int64_t version_ = -1;
  // The version whose layout the file is read by: the version, except that
  // with -mw a file of unknown version that numbers its durations as
  // simulations is read as a 2019 file.
  std::int64_t layout_ = -1;
  std::optional<Reader> reader_;
};

// True when a '#' line of the text holds the simulation start marker.  Leaves
// the input at its start.
bool holds_simulations(platform::rt::TextSource& input);

}  // namespace conv::wbnm

// XP-RAFTS .loc/.tot result files: one storm, or several storms one after the
// other, each a storm header followed by one hydrograph per subcatchment (a
// name record and the flows of all time increments, five a record).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/peaks.h"
#include "converter/readers/line_input.h"
#include "converter/readers/reader.h"
#include "converter/series.h"
#include "platform/text_source.h"

namespace conv::rafts {

struct StormHeader {
  std::int32_t storm = 0;  // the storm number written in the file
  std::int32_t nsub = 0;   // subcatchments: hydrographs of the storm
  std::int32_t ninc = 0;   // time increments: values of each hydrograph
  float dt = 0.0f;         // the time increment in minutes
};

// Reads a storm header: three whole numbers in columns 1-5, 6-10 and 11-15
// (blanks ignored), then the first free-form real from column 16.  False when
// the record does not read so (a null value or a slash in the real field
// included), or when it gives fewer than one subcatchment or time increment.
bool parse_header(std::string_view record, StormHeader& header);

// Lines of a storm's block: its header, and per hydrograph the name record
// and one value record for every five values.
std::int64_t block_lines(const StormHeader& header);

// Where the last line of the text that holds more than blanks and TABs ends
// (the byte offset after its last character; 0 when there is none): blank
// lines after it are the end of the file.
std::size_t significant_end(std::string_view text);

// A storm found by the multi-storm set-up.
struct Storm {
  StormHeader header;
  std::int64_t end = 0;  // number of the last line of its block
};

// The lines of an XP-RAFTS input, from its start up to its last significant
// line, with the running line count of the read-error message.
class StormLines {
 public:
  explicit StormLines(const platform::rt::TextSource& input)
      : in_(input), text_(input.contents()), end_(significant_end(text_)) {}

  // True once only blank lines (or none) remain.
  bool ended() const { return read_to_ >= end_; }
  // The next line, or false at the end of the file.
  bool read(std::string_view& line) {
    if (ended() || !in_.read(line)) return false;
    read_to_ = static_cast<std::size_t>(line.data() - text_.data()) + line.size();
    return true;
  }
  std::int64_t NLINE() const { return in_.NLINE(); }
  // The file's size in bytes (a bound on any count read from it).
  std::size_t size() const { return text_.size(); }
  // Reads the next line as a storm header; a line that does not read as one,
  // or the end of the file, ends the run with the read-error message.
  StormHeader header();

 private:
  LineInput in_;
  std::string_view text_;
  std::size_t end_;
  std::size_t read_to_ = 0;  // where the last line read ends
};

// Counts the storms of a multi-storm file from its start: block after block,
// each as long as its header says, until the file ends.
std::vector<Storm> count_storms(platform::rt::TextSource& input);

// The reading pass over the reading connection.
class Reader {
 public:
  explicit Reader(const platform::rt::TextSource& input) : in_(input) {}

  // A single-storm file: the header, then hydrographs to the end of the file;
  // peaks go to column 0 of the store.
  void read_single(SeriesTable& table, PeakStore& peaks, std::int32_t ifile);
  // Storm k (1-based) of a multi-storm file, from its header to its block's
  // last line; peaks go to `column`.
  void read_storm(std::int32_t k, const Storm& storm, SeriesTable& table, PeakStore& peaks, std::int32_t column,
                  std::int32_t ifile);
  // Lines read so far (the line number of the last line read).
  std::int64_t NLINE() const { return in_.NLINE(); }

 private:
  // One hydrograph of `nv` values, value j at j x dt minutes.
  void read_hydrograph(std::int32_t nv, float dt, SeriesTable& table, PeakStore& peaks, std::int32_t column,
                       std::int32_t ifile);

  StormLines in_;
  // Length of the last first value record seen (it chooses the field width).
  std::size_t first_record_length_ = 0;
};

// The file loop's XP-RAFTS input.
class RaftsReader : public InputReader {
 public:
  using InputReader::InputReader;
  // -mr: counts the storms on a scan connection, reads their names from the
  // event-names file and reports each storm.
  std::vector<std::string> count_events() override;
  // The first record, read as a storm header on a connection of its own.
  void check_single() override;
  Naming naming() const override { return file_.run.multi_event ? Naming::Storms : Naming::Single; }
  void start() override;
  void read_event(std::int32_t ievent, SeriesTable& table, PeakStore& peaks, std::int32_t column) override;

 private:
  std::vector<std::string> event_names(std::int32_t nevents) const;

  std::vector<Storm> storms_;
  std::optional<Reader> reader_;
};

}  // namespace conv::rafts

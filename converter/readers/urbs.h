// URBS .q result files: the counts of the parameter line, the location names
// (and their types), then one row per time, or per date with -date.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "converter/peaks.h"
#include "converter/readers/line_input.h"
#include "converter/readers/read_ahead.h"
#include "converter/readers/reader.h"
#include "converter/series.h"
#include "platform/text_source.h"

namespace conv::urbs {

// Occurrences of the 4-character WORD in LINE, case-sensitive; the search
// goes on one column after the column that follows each hit, so two hits
// without a character between them count once.
std::int32_t COUNTSUB4(std::string_view LINE, std::string_view WORD);

class Reader {
 public:
  // `dated`: rows start with a 25-character date instead of a time.
  Reader(const platform::rt::TextSource& input, bool dated) : in_(input), dated_(dated) {}
  Reader(const platform::rt::TextSource& input, const InputFile& file) : Reader(input, file.run.dated_urbs) {}

  // Reads the file's series into the table and their peaks into `column` of
  // the store.
  void read(SeriesTable& table, PeakStore& peaks, std::int32_t column, std::int32_t ifile);

  std::int64_t NLINE() const { return in_.NLINE(); }

 private:
  // NTS and NV from the parameter line.
  void read_counts(std::string_view line, std::int32_t& nts, std::int32_t& nv);
  // One series per location, named from the names line (and the types line,
  // which may change their number).
  void read_names(std::int32_t nts, SeriesTable& table);
  bool is_first_data_line(std::string_view line) const;
  // A standard row into `values`, read from its own line or, when it runs
  // out there, as one read over as many lines as it needs; returns its time
  // in minutes.
  float read_standard_row(std::vector<float>& values);
  // Takes the rows from row j on that stand on one line each and read, many
  // at a time: a time or a date, then one value per location (items left by
  // a null value or a slash are 0); dated rows print their date.  j becomes
  // the first row not taken; false when none was taken.
  bool take_rows(std::int32_t& j, std::int32_t nv, double& first_hours, float& first, float& last,
                 SeriesTable& table);
  // The next line, or the read-error message at the end of the file.
  std::string_view next_line();

  LineInput in_;
  ReadAhead ahead_;
  bool dated_;
};

// The file loop's URBS input.
using UrbsReader = WholeFileReader<Reader>;

}  // namespace conv::urbs

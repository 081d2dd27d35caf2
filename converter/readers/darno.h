// DARNO fixed-field result files: blocks of one header record (record code,
// block name, value count) followed by the times and then the values, eight
// 10-column fields to a record.  Every block becomes one series.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "converter/peaks.h"
#include "converter/readers/line_input.h"
#include "converter/readers/reader.h"
#include "converter/series.h"
#include "platform/text_source.h"

namespace conv::darno {

// True when a record opens a block: one of the record codes QT, HT, HQ, QH,
// RF (any case) in columns 1-2 and no "R" (any case) in columns 3-5.
bool is_header(std::string_view record);

// The series name of a header: the upper-cased record code followed by the
// block name of columns 6-10 without its blanks; a name that starts like a
// number (or is blank) is read as an integer and written with five digits,
// zeros in front.  False when such a name is not an integer.
bool series_name(std::string_view header, std::string& name);

class Reader {
 public:
  explicit Reader(const platform::rt::TextSource& input) : in_(input) {}
  Reader(const platform::rt::TextSource& input, const InputFile&) : Reader(input) {}

  // Reads every block of the file into the table: values in Series::q, the
  // first and last time in minutes, and, when the table keeps value times,
  // the times as read (hours) in Series::hours.  Each block's peak goes to
  // `column` of the store.
  void read(SeriesTable& table, PeakStore& peaks, std::int32_t column, std::int32_t ifile);

  // The number of the last line read.
  std::int64_t NLINE() const { return in_.NLINE(); }

 private:
  // Finds the next header that is not the file's last record; false when the
  // file ends first.  Leaves the input just after the header.
  bool find_header(std::string_view& header);
  // Reads n numbers from as many records as they need.
  void read_fields(std::int32_t n, std::vector<float>& out);

  LineInput in_;
  std::vector<float> times_;  // the current block's times, hours
};

// The file loop's DARNO input: the whole file is one event.
using DarnoReader = WholeFileReader<Reader>;

}  // namespace conv::darno

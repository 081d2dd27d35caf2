// Row-block files: blocks of lines of numbers without times, each with an
// optional title line.  All numbers of a block, line after line, form one
// series; value k stands at time k.  Row blocks keep no peaks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/peaks.h"
#include "converter/readers/line_input.h"
#include "converter/readers/read_ahead.h"
#include "converter/readers/reader.h"
#include "converter/series.h"
#include "platform/text_source.h"

namespace conv::rows {

// True when a line starts a block's data: after blanks and TABs it starts
// with a digit, "-" or ".", and every token up to a comment mark is a number.
bool is_data_line(std::string_view line);
// The same, for a line already known to hold `numbers` numbers.
bool is_data_line(std::string_view line, std::int32_t numbers);

// The title of a block, from the first line of its search that is not
// blank: the line without its TABs (the text closes up), cut at kNameLength
// characters, without trailing blanks; leading blanks stay.
std::string block_title(std::string_view line);

class Reader {
 public:
  // `match_name` names a block whose title is blank.
  Reader(const platform::rt::TextSource& input, std::string_view match_name) : in_(input), match_name_(match_name) {}
  Reader(const platform::rt::TextSource& input, const InputFile& file) : Reader(input, file.match_name) {}

  // Reads every block of the file into the table, one series per block;
  // when the table keeps value times, value k's time is k minutes in hours.
  // Row blocks keep no peaks: the store and the file number are not used.
  void read(SeriesTable& table, PeakStore&, std::int32_t, std::int32_t);

  // The number of the last line read.
  std::int64_t NLINE() const { return in_.NLINE(); }

 private:
  // Finds the next block's first data line and its title (the first line of
  // the search that is not empty); false when the file ends first.  Leaves
  // the input before the data line.
  bool find_block(std::string& title);
  // Reads the block's data lines into s; false when the file ended the block.
  bool read_rows(SeriesTable& table, Series& s);
  // Reads ahead from the next line on: the lines, their counts of numbers
  // and their numbers.
  void look_ahead();
  bool next_line(std::string_view& line, std::size_t& i);
  // Steps back over the line that next_line() gave last.
  void step_back();

  LineInput in_;
  // Lines read ahead, with each line's count of numbers (as a data line
  // counts them), where its numbers stand in values_, and whether they read.
  ReadAhead ahead_;
  std::vector<std::int32_t> counts_;
  std::vector<std::size_t> at_;
  std::vector<float> values_;
  std::vector<unsigned char> read_ok_;
  std::size_t next_ = 0;  // the index of the line expected next
  std::size_t ahead_bytes_ = std::size_t{1} << 18;  // the bytes of the next look ahead
  std::string match_name_;
};

// The file loop's row-block input: the whole file is one event, and it gets
// no peak table.
using RowsReader = WholeFileReader<Reader, false>;

}  // namespace conv::rows

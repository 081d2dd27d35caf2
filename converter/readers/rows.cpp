#include "converter/readers/rows.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

#include "library/ffmt.h"
#include "library/ftext.h"
#include "library/numtext.h"
#include "library/paths.h"
#include "library/text_basics.h"
#include "platform/console.h"

namespace conv::rows {

namespace {

bool starts_number(char c) { return (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The first character that is neither a blank nor a TAB ('\0' when none):
// TABs stand between numbers like blanks, before the first one too.
char first_character(std::string_view line) {
  // A loop of our own: the library's search for a character not in a set
  // makes a call per character, and this runs twice for every line.
  for (const char c : line)
    if (c != ' ' && c != '\t') return c;
  return '\0';
}

}  // namespace

bool is_data_line(std::string_view line, std::int32_t numbers) {
  return starts_number(first_character(line)) && numbers > 0;
}

bool is_data_line(std::string_view line) { return is_data_line(line, lib::NUMBEROFNUMBERS(line)); }

namespace {

// The numbers of a data line.  A comma before the first number closes an
// empty first field: a null value that the count leaves out, though the read
// takes it, so without it the line's last number would be lost.
std::int32_t numbers_of(std::string_view line) {
  const std::int32_t n = lib::NUMBEROFNUMBERS(line);
  return n > 0 && first_character(line) == ',' ? n + 1 : n;
}

// Reads the numbers of a line into values; a null value leaves its number at
// zero.
bool read_numbers(std::string_view line, std::span<float> values) {
  std::fill(values.begin(), values.end(), 0.0f);
  ffmt::ListReader r(line);
  return r.read(values.data(), values.size()) == ffmt::kOk;
}

}  // namespace

std::string block_title(std::string_view line) {
  // The characters kept are taken up to the title's length only: a title
  // line may be as long as the file.
  std::string title;
  for (std::size_t i = 0; i < line.size() && title.size() < kNameLength; ++i)
    if (line[i] != '\t') title += line[i];
  title.resize(lib::len_trim(title));
  return title;
}

void Reader::look_ahead() {
  // From the next line on, the numbers of the lines are counted and read,
  // side by side on every thread when they are many.  The first look covers
  // 256 KB, and each one after twice as much up to 1 MB: what a small file
  // holds beside its values stays small, and the values of a look (larger
  // ones were slower) stay in the cache until they are stored.
  constexpr std::size_t kMostAheadBytes = std::size_t{1} << 20;
  // A line for every 16 bytes at most: short or empty lines do not make the
  // entries kept for each line outgrow the text.
  constexpr std::size_t kBytesPerLine = 16;
  ahead_.look_ahead(in_, ahead_bytes_ / kBytesPerLine, ahead_bytes_);
  ahead_bytes_ = std::min(2 * ahead_bytes_, kMostAheadBytes);
  next_ = 0;
  // Lines are handed over in runs: a file of short lines pays no call for
  // each line.
  constexpr std::size_t kRun = 64;
  const std::size_t n = ahead_.size();
  counts_.resize(n);
  read_ok_.assign(n, 0);
  ahead_.accepted_runs(kRun, [&](std::size_t from, std::size_t end) {
    for (std::size_t i = from; i < end; ++i) counts_[i] = numbers_of(ahead_.line(i));
    return end - from;
  });
  at_.assign(n + 1, 0);
  for (std::size_t i = 0; i < n; ++i) at_[i + 1] = at_[i] + static_cast<std::size_t>(std::max(counts_[i], 0));
  values_.resize(at_[n]);
  if (at_[n] == 0) return;  // no line holds a number
  ahead_.accepted_runs(kRun, [&](std::size_t from, std::size_t end) {
    for (std::size_t i = from; i < end; ++i) {
      const std::span<float> values = std::span<float>(values_).subspan(at_[i], at_[i + 1] - at_[i]);
      read_ok_[i] = counts_[i] > 0 && read_numbers(ahead_.line(i), values);
    }
    return end - from;
  });
}

// The next line and its index among the lines read ahead; false at the end
// of the file.  Every line is read ahead first, and each is read once.
bool Reader::next_line(std::string_view& line, std::size_t& i) {
  if (!ahead_.replay(in_, next_, line)) {
    if (in_.bytes_left() == 0) return in_.read(line);
    look_ahead();
    ahead_.replay(in_, next_, line);
  }
  i = next_++;
  return true;
}

void Reader::step_back() {
  --next_;
  ahead_.rewind_to(in_, next_);
}

bool Reader::find_block(std::string& title) {
  bool titled = false;
  std::string_view line;
  std::size_t i = 0;
  while (next_line(line, i)) {
    if (!titled && !lib::is_blank_or_tabs(line)) {
      title = block_title(line);
      titled = true;
    }
    if (is_data_line(line, counts_[i])) {
      step_back();
      return true;
    }
  }
  return false;
}

bool Reader::read_rows(SeriesTable& table, Series& s) {
  std::string_view line;
  std::size_t i = 0;
  while (next_line(line, i)) {
    const std::int32_t n = counts_[i];
    if (n <= 0) return true;
    if (n > table.MAXVALS - s.nvals()) capacity_exceeded(table.MAXVALS, " points in a row block time-series.");
    if (!read_ok_[i]) in_.read_error();
    table.append_steps(s, std::span<const float>(values_.data() + at_[i], at_[i + 1] - at_[i]));
  }
  return false;
}

void Reader::read(SeriesTable& table, PeakStore&, std::int32_t, std::int32_t) {
  std::string title;
  while (find_block(title)) {
    if (table.NTS() >= MAXTS) capacity_exceeded(MAXTS, " row block time-series allowed.");
    Series& s = table.series.emplace_back();
    s.name = lib::is_blank(title) ? lib::FILENAME(match_name_) : title;
    platform::console::line("Extracting row data for " + title);
    const bool more = read_rows(table, s);
    s.tstart = 1.0f;
    s.tend = static_cast<float>(s.nvals());
    if (!more) return;
    // The line that ended the block starts the next block's search.
    step_back();
  }
}

}  // namespace conv::rows

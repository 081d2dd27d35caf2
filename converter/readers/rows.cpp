#include "converter/readers/rows.h"

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
  const std::size_t first = line.find_first_not_of(" \t");
  return first == std::string_view::npos ? '\0' : line[first];
}

}  // namespace

bool is_data_line(std::string_view line) {
  return starts_number(first_character(line)) && lib::NUMBEROFNUMBERS(line) > 0;
}

bool Reader::find_block(std::string& title) {
  bool titled = false;
  std::string_view line;
  while (in_.read(line)) {
    if (!titled && !lib::is_blank_or_tabs(line)) {
      // The title loses its TABs (the text closes up) and keeps its leading blanks.
      title = lib::trim_right(lib::cut(lib::REMOVETABS(line), kNameLength));
      titled = true;
    }
    if (is_data_line(line)) {
      in_.step_back();
      return true;
    }
  }
  return false;
}

bool Reader::read_rows(SeriesTable& table, Series& s) {
  std::string_view line;
  while (in_.read(line)) {
    std::int32_t n = lib::NUMBEROFNUMBERS(line);
    if (n <= 0) return true;
    // A comma before the first number closes an empty first field: a null
    // value that the count leaves out, though the read takes it, so without
    // it the line's last number would be lost.
    if (first_character(line) == ',') ++n;
    if (n > table.MAXVALS - s.nvals()) capacity_exceeded(table.MAXVALS, " points in a row block time-series.");
    ffmt::ListReader r(line);
    for (std::int32_t k = 0; k < n; ++k) {
      float v = 0.0f;  // a null value leaves the value at zero
      if (r.read(v) != ffmt::kOk) in_.read_error();
      table.append(s, static_cast<float>(s.nvals() + 1), v);
    }
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
    in_.step_back();
  }
}

}  // namespace conv::rows
